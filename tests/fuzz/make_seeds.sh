#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/TARGET/): small inputs that
# reach the interesting paths. The files are committed; run this again after changing it.
set -euo pipefail
cd "$(dirname "$0")"
rm -rf corpus
seed() {  # seed TARGET NAME PRINTF-FORMAT
  mkdir -p "corpus/$1"
  printf "$3" >"corpus/$1/$2"
}
# A byte repeated: repeat COUNT OCTAL
repeat() { local s=""; for ((i = 0; i < $1; ++i)); do s+="\\$2"; done; printf '%s' "$s"; }

# SIG images: records of 0, 3 and 5 bytes; a last record cut short; a lone length byte.
seed fuzz_sig_reader well_formed '\000\000\003\000\001\002\003\005\000abcde'
seed fuzz_sig_reader cut_short '\002\000\377\377\010\000\001\002'
seed fuzz_sig_reader lone_byte '\007'
seed fuzz_sig_reader empty_records '\000\000\000\000\000\000\000\000'

# Packets: Cisco frames (0x0F unicast, 0x8F broadcast) around IPv4 (0x0800) around TCP (6).
ip_tcp='\105\000\000\050\000\001\000\000\100\006\000\000\012\000\000\001\012\000\000\002'
tcp='\000\120\037\220\000\000\000\001\000\000\000\000\120\022\040\000\000\000\000\000'
seed fuzz_protocols cisco_ip_tcp "\\017\\000\\010\\000${ip_tcp}${tcp}"
seed fuzz_protocols broadcast_short_ip '\217\000\010\000\105\000'
seed fuzz_protocols ip_options "\\017\\000\\010\\000\\106\\000\\000\\054\\000\\001\\000\\000\\100\\006\\000\\000\\012\\000\\000\\001\\012\\000\\000\\002\\001\\001\\001\\001${tcp}"
seed fuzz_protocols unknown '\145\250\001\002'

# Cut: flags, start (int32), end (int32), then packets (header: length, colour, odd bit length).
seed fuzz_cut bytes_grow '\000\001\000\000\000\376\377\377\377\004abcd\103xyz'
seed fuzz_cut bits_colour '\007\003\000\000\000\210\001\002\003\004\005\006\007\010'
seed fuzz_cut shorten '\000\002\000\000\000\001\000\000\000\012abcdefghij\002ab'

# Sync search: pattern length, bits, period, start, memory with the sync 65 A8 in it.
seed fuzz_sync_search sync '\017\145\250\000\000\140\000\000\000'"$(repeat 11 145)"'\145\250\000\145\250'
seed fuzz_sync_search ones '\040\377\377\377\377\001\000\000\000\377\377\377\377\377\377'

# Recordings: symbols stepping along the cycle (all ones), standing still (zeros), mixed.
seed fuzz_demodulate steps "$(repeat 64 322)"
seed fuzz_demodulate still "$(repeat 64 000)"
seed fuzz_demodulate mixed '\037\145\250\001\002\003\037\000\377\322\055\264\037\037\000\001'
