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
# The same recorded for undo (flags bits 3-6: 15 without a limit, 2 within 64 bytes).
seed fuzz_cut bytes_grow_recorded '\170\001\000\000\000\376\377\377\377\004abcd\103xyz'
seed fuzz_cut bits_colour_recorded_small '\027\003\000\000\000\210\001\002\003\004\005\006\007\010'
seed fuzz_cut shorten_recorded '\170\002\000\000\000\001\000\000\000\012abcdefghij\002ab'

# Sync search: pattern length, bits, period, start, memory with the sync 65 A8 in it.
seed fuzz_sync_search sync '\017\145\250\000\000\140\000\000\000'"$(repeat 11 145)"'\145\250\000\145\250'
seed fuzz_sync_search ones '\040\377\377\377\377\001\000\000\000\377\377\377\377\377\377'

# Recordings: symbols stepping along the cycle (all ones), standing still (zeros), mixed.
seed fuzz_demodulate steps "$(repeat 64 322)"
seed fuzz_demodulate still "$(repeat 64 000)"
seed fuzz_demodulate mixed '\037\145\250\001\002\003\037\000\377\322\055\264\037\037\000\001'

# Conditions: the text, a 0 byte, then packets (header: byte count in bits 0-4, colour in bits
# 5-6, a bit length short of whole bytes in bit 7).
packets='\003\105\000\001\012\105\000\000\000\000\000\000\000\000\001\202\065\012\000'
seed fuzz_conditions demo "byte:1=69,byte:10>=0,bit:9=1\\000${packets}"
seed fuzz_conditions hex "byte:2!=0x1f,byte:1<=255,byte:3>=0X0A\\000${packets}"
seed fuzz_conditions widest 'bit:4294967295=0x0,bit:12=1\000\202\377\377'
seed fuzz_conditions bad_last 'byte:1=1,bit:3!=1'
seed fuzz_conditions trailing_comma 'byte:01=1,'

# Operations: the operation (0 swap, 1 fill, 2 edit, 3 demux, 4 defrag, 5 selection by length,
# 6 search, 7 selection by values), the packet after which Cancel is pressed, the
# scope (bits 0-1: all, white, one colour; bits 2-3 the colour; bit 4 conditions follow: a count,
# then kind, position and value each), the parameters, then packets as above.
red_white='\043\001\002\003\202\065\012\001\377\000'
seed fuzz_operations swap_reverse "\\000\\000\\000\\000${red_white}"
seed fuzz_operations swap_pairs_red "\\000\\000\\006\\001${red_white}\\045abcde"
seed fuzz_operations fill_to_three '\001\000\001\000\005\003\000\252\001\001\202\065\012\004abcd'
seed fuzz_operations fill_longest "\\001\\000\\000\\001\\000\\000${red_white}"
seed fuzz_operations edit_bit_9 '\002\000\000\001\010\001\002\000\000\202\065\012'
seed fuzz_operations demux_keep_red '\003\000\006\001\001\002\045abcdef\003xyz\001q'
seed fuzz_operations demux_remove_cancel '\003\002\020\001\000\001\001\000\001\003\003abc\005abcde\002ab'
seed fuzz_operations demux_keep_partial_byte '\003\000\000\001\000\002\202\060\012'
# Defrag: kinds enabled (1 intermediate, 2 last), a byte per kind (bits 0-1 colour, bit 2
# conditions follow), five margins; a packet of 8192 bytes among the fragments.
fragments='\044\001\002\356\356\104\017\003\004\016\144\017\005\006\016\001\007'
seed fuzz_operations defrag_colours "\\004\\000\\000\\003\\001\\002\\003\\002\\001\\001\\001\\001${fragments}\\037\\000\\040\\000abcd${fragments}"
seed fuzz_operations defrag_conditions '\004\000\000\001\004\001\000\001\017\004\001\000\001\037\003\001\001\001\001\001\001\003\017ab\003\037cd\003\017ef'
seed fuzz_operations select_length '\005\000\000\003\003\001\003abc\202\065\012\005abcde'
seed fuzz_operations search_text '\006\000\000\000\000\001bc\004abcd\003xbc'
seed fuzz_operations search_bits_up_all '\006\000\000\017\003\002\001\000\001\002\001\200\202\065\012'
seed fuzz_operations select_values '\007\000\000\002\000\001\105\001\011\001\001\002\105\001\002\105\000'
# The same steps recorded for undo (the operation byte's bits 3-6: 15 without a limit, 2 within 64
# bytes, where the recorder gives up).
seed fuzz_operations swap_pairs_red_recorded "\\170\\000\\006\\001${red_white}\\045abcde"
seed fuzz_operations fill_to_three_recorded_small '\021\000\001\000\005\003\000\252\001\001\202\065\012\004abcd'
seed fuzz_operations demux_remove_cancel_recorded '\173\002\020\001\000\001\001\000\001\003\003abc\005abcde\002ab'
seed fuzz_operations defrag_colours_recorded "\\174\\000\\000\\003\\001\\002\\003\\002\\001\\001\\001\\001${fragments}\\037\\000\\040\\000abcd${fragments}"
# A fill that only grows empty packets: its record has no bytes at all.
seed fuzz_operations fill_empty_recorded '\111\003\002\020\004\000\000\001\000\001\145\003\237'
seed fuzz_operations search_bits_up_all_recorded '\176\000\000\017\003\002\001\000\001\002\001\200\202\065\012'

# Statistics: the Cancel packet, a scope as above, the mode (bits 0-1: 0 bytes, 1 bits, 2 lengths)
# and the number of positions (bits 2-4), the positions, then packets.
seed fuzz_statistics two_bytes '\000\000\010\000\002\003abc\003abd\001a'
seed fuzz_statistics bits_cancelled '\002\000\005\010\002ab\002ac\001a'
seed fuzz_statistics lengths "\\000\\000\\002${red_white}"

# Written files: packets, each a header byte (bits 0-5 the byte count, 63 for a long packet whose
# 32-bit count, fill byte and first 32 bytes follow; bit 6 a partial last byte; bit 7 a capture
# magic number first, chosen by the next byte).
pcap_header='\xd4\xc3\xb2\xa1\x02\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\x00\x00\x01\x00\x00\x00'
seed fuzz_written_files short_and_partial '\003abc\000\102xy\204abcd\004'
# Packets that make a BIT file a whole capture of one frame.
seed fuzz_written_files bit_is_a_capture "\\030${pcap_header}\\024\\000\\000\\000\\000\\000\\000\\000\\000\\004\\000\\000\\000\\004\\000\\000\\000abcd"
# 70000 bytes: too long for SIG.
seed fuzz_written_files too_long_for_sig '\077\160\021\001\000\125abc\002de'
# A BIT file that begins with a whole pcap header of the kind with longer record headers.
seed fuzz_written_files bit_is_a_long_record_capture '\030\x34\xcd\xb2\xa1\x02\000\000\000\000\000\000\000\000\000\004\000\000\000\000\000\000\037\377\377\377cd'
# 50132 bytes (0xC3D4) after which a pcap header follows: the SIG file starts like a capture.
seed fuzz_written_files sig_is_a_capture '\077\324\303\000\000\000\xb2\xa1\x02\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\x00\x00\x01\x00\x00\x00'

# Captures: pcap in both byte orders, cut short; pcapng with two interfaces of different link
# types, and with a second section in the other byte order.
seed fuzz_capture_reader pcap_two_frames "${pcap_header}"'\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x03\x00\x00\x00abc\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
seed fuzz_capture_reader pcap_big_endian_nano '\xa1\xb2\x3c\x4d\x00\x02\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\x00\x00\x00\x68\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x02hi'
seed fuzz_capture_reader pcap_cut_short "${pcap_header}"'\x00\x00\x00\x00\x00\x00\x00\x00\x0a\x00\x00\x00\x0a\x00\x00\x00abc'
shb='\x0a\x0d\x0d\x0a\x1c\x00\x00\x00\x4d\x3c\x2b\x1a\x01\x00\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff\x1c\x00\x00\x00'
idb() { printf '%s' "\\x01\\x00\\x00\\x00\\x14\\x00\\x00\\x00\\x$1\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x14\\x00\\x00\\x00"; }
epb() { printf '%s' "\\x06\\x00\\x00\\x00\\x28\\x00\\x00\\x00\\x$1\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x05\\x00\\x00\\x00\\x05\\x00\\x00\\x00hello\\x00\\x00\\x00\\x28\\x00\\x00\\x00"; }
spb='\x03\x00\x00\x00\x14\x00\x00\x00\x03\x00\x00\x00abc\x00\x14\x00\x00\x00'
seed fuzz_capture_reader pcapng_two_link_types "${shb}$(idb 01)$(epb 00)${spb}$(idb 68)$(epb 01)"
shb_be='\x0a\x0d\x0d\x0a\x00\x00\x00\x1c\x1a\x2b\x3c\x4d\x00\x01\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff\x00\x00\x00\x1c'
idb_be='\x00\x00\x00\x01\x00\x00\x00\x14\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x14'
epb_be='\x00\x00\x00\x06\x00\x00\x00\x24\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x04\x00\x00\x00\x04abcd\x00\x00\x00\x24'
seed fuzz_capture_reader pcapng_two_sections "${shb}$(idb 01)$(epb 00)${shb_be}${idb_be}${epb_be}"
seed fuzz_capture_reader not_a_capture 'abc'
