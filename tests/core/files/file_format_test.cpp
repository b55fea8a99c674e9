#include "core/files/file_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

bytes concat(bytes a, const bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(FileFormat, ReadingFollowsTheNameAndOnlyAWholeHeaderMakesACapture) {
  // Whole headers: pcap 2.4 in either byte order, and a pcapng section header.
  const bytes pcap_le = {0xD4, 0xC3, 0xB2, 0xA1, 2, 0, 4, 0, 0, 0, 0, 0,
                         0,    0,    0,    0,    0, 0, 1, 0, 1, 0, 0, 0};
  const bytes pcap_be = {0xA1, 0xB2, 0x3C, 0x4D, 0, 2, 0, 4, 0, 0, 0, 0,
                         0,    0,    0,    0,    0, 1, 0, 0, 0, 0, 0, 1};
  const bytes pcapng = {0x0A, 0x0D, 0x0D, 0x0A, 28, 0, 0,    0,    0x4D, 0x3C,
                        0x2B, 0x1A, 1,    0,    0,  0, 0xFF, 0xFF, 0xFF, 0xFF,
                        0xFF, 0xFF, 0xFF, 0xFF, 28, 0, 0,    0};
  // SIG files whose first record starts like a capture: 3338 bytes (0A 0D) starting 0D 0A, and
  // 50132 bytes (D4 C3) starting B2 A1.
  const bytes sig_like_pcapng = concat({0x0A, 0x0D, 0x0D, 0x0A}, bytes(3336, 0));
  const bytes sig_like_pcap = concat({0xD4, 0xC3, 0xB2, 0xA1}, bytes(50130, 0));
  const bytes sig = {2, 0, 0x41, 0x42};
  struct row {
    std::string path;
    bytes image;
    signal_format expected;
  };
  const row rows[] = {
      {"a.sig", pcapng, signal_format::sig},
      {"dir.pcap/A.SIG", pcap_le, signal_format::sig},
      {"a.bit", pcap_be, signal_format::sig},
      {"a.pcap", sig, signal_format::capture},
      {"a.PcapNG", sig, signal_format::capture},
      {"a.cap", sig, signal_format::capture},
      {"a", pcap_le, signal_format::capture},
      {"a.dat", pcap_be, signal_format::capture},
      {".pcap", pcapng, signal_format::capture},  // a hidden name without extension
      {"a.dat", sig_like_pcapng, signal_format::sig},
      {"a", sig_like_pcap, signal_format::sig},
      {"a", bytes(pcapng.begin(), pcapng.end() - 1), signal_format::sig},
      {"a", bytes(pcap_le.begin(), pcap_le.begin() + 4), signal_format::sig},
      {"a", {}, signal_format::sig},
  };
  for (const row& r : rows) {
    EXPECT_EQ(format_for_reading(r.path, r.image), r.expected) << r.path << " " << r.image.size();
  }
}

TEST(FileFormat, WritingFollowsTheNameThenTheChoice) {
  struct row {
    std::string path;
    signal_format chosen;
    signal_format expected;
  };
  const row rows[] = {
      {"OUT.PCAP", signal_format::sig, signal_format::capture},
      {"out.pcapng", signal_format::bit, signal_format::capture},
      {"out.Cap", signal_format::sig, signal_format::capture},
      {"out.BIT", signal_format::sig, signal_format::bit},
      {"out.sig", signal_format::capture, signal_format::sig},
      {"dir.bit/out", signal_format::sig, signal_format::sig},
      {"out.dat", signal_format::bit, signal_format::bit},
  };
  for (const row& r : rows) {
    EXPECT_EQ(format_for_writing(r.path, r.chosen), r.expected) << r.path;
  }
}
