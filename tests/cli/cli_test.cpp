#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

run_result cli(const temp_dir& dir, const std::vector<std::string>& args) {
  return run_program(dir, PELORIN_CLI, args);
}

}  // namespace

TEST(Cli, InfoReportsCountAndTrueLengthExtremes) {
  temp_dir dir;
  const std::string sig =
      dir.write("a.sig", sig_image({{1, 2, 3, 4, 5}, {1, 2, 3}, {1, 2, 3, 4, 5}, {1, 2}}));
  run_result r = cli(dir, {"info", sig});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "packets=4 min=2 max=5\n");

  const std::string zero = dir.write("z.sig", sig_image({{}, {7}}));
  EXPECT_EQ(cli(dir, {"info", zero}).out, "packets=2 min=0 max=1\n");
}

TEST(Cli, DumpShowsEveryModeAsTheGridDoes) {
  temp_dir dir;
  const std::string sig =
      dir.write("d.sig", sig_image({{0x00, 0x07, 0xC8, 0xFF}, {}, {0x20, 0x41, 0xC0, 0x21}}));
  struct row {
    std::string flag;
    std::string expected;
  };
  const row rows[] = {
      {"--dec", "1\t4\t0 7 200 255\n2\t0\t\n3\t4\t32 65 192 33\n"},
      {"--hex", "1\t4\t00 07 C8 FF\n2\t0\t\n3\t4\t20 41 C0 21\n"},
      {"--bin",
       "1\t4\t00000000 11100000 00010011 11111111\n2\t0\t\n"
       "3\t4\t00000100 10000010 00000011 10000100\n"},
      {"--text", "1\t4\t. . \xD0\x98 \xD1\x8F\n2\t0\t\n3\t4\t. A \xD0\x90 !\n"},
  };
  for (const row& r : rows) {
    const run_result result = cli(dir, {"dump", r.flag, sig});
    EXPECT_EQ(result.status, 0) << r.flag << result.err;
    EXPECT_EQ(result.out, r.expected) << r.flag;
  }
  EXPECT_EQ(cli(dir, {"dump", sig}).out, rows[1].expected) << "hexadecimal is the default";
}

TEST(Cli, ConvertWritesSigOrBitExactly) {
  temp_dir dir;
  const bytes image = sig_image({{0x41, 0x42}, {0x43}});
  const std::string sig = dir.write("in.sig", image);
  EXPECT_EQ(cli(dir, {"convert", sig, dir.file("out.sig")}).status, 0);
  EXPECT_EQ(read_file(dir.file("out.sig")), image);
  EXPECT_EQ(cli(dir, {"convert", sig, dir.file("out.bit")}).status, 0);
  EXPECT_EQ(read_file(dir.file("out.bit")), (bytes{0x41, 0x42, 0x43}));
  EXPECT_EQ(cli(dir, {"convert", "--bit", sig, dir.file("plain")}).status, 0);
  EXPECT_EQ(read_file(dir.file("plain")), (bytes{0x41, 0x42, 0x43}));
}

TEST(Cli, BadInputGivesItsExitStatusAndOneMessage) {
  temp_dir dir;
  const std::string sig = dir.write("ok.sig", sig_image({{1}}));
  struct row {
    const char* name;
    std::vector<std::string> args;
    int status;
  };
  const row rows[] = {
      {"no command", {}, 2},
      {"unknown command", {"frobnicate", sig}, 2},
      {"info without file", {"info"}, 2},
      {"dump with two files", {"dump", sig, sig}, 2},
      {"dump with unknown mode", {"dump", "--oct", sig}, 2},
      {"convert with one file", {"convert", sig}, 2},
      {"missing file", {"info", dir.file("missing.sig")}, 3},
      {"folder", {"info", dir.path()}, 3},
      {"unwritable output", {"convert", sig, dir.file("no/such/out.sig")}, 3},
      {"unknown option", {"info", "--verbose", sig}, 2},
      {"cut without output", {"cut", "--start", "1", sig}, 2},
      {"cut from a missing file",
       {"cut", "--start", "1", dir.file("missing.sig"), "-o", dir.file("out.sig")},
       3},
      {"cut into a missing folder", {"cut", "--start", "1", sig, "-o", dir.file("no/out.sig")}, 3},
  };
  for (const row& r : rows) {
    const run_result result = cli(dir, r.args);
    EXPECT_EQ(result.status, r.status) << r.name;
    EXPECT_TRUE(result.out.empty()) << r.name;
    EXPECT_FALSE(result.err.empty()) << r.name;
    if (r.status == 2) {
      EXPECT_NE(result.err.find("usage:"), std::string::npos) << r.name;
    }
  }
}

TEST(Cli, TruncatedFilesLoadWithZeroFilledLastPacket) {
  temp_dir dir;
  const std::string sig = dir.write("cut.sig", {0x02, 0x00, 0xAB, 0xCD, 0x0C});
  const run_result r = cli(dir, {"dump", "--hex", sig});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\t2\tAB CD\n2\t12\t00 00 00 00 00 00 00 00 00 00 00 00\n");
}

TEST(Cli, LargestSigPacketConvertsWhole) {
  temp_dir dir;
  const std::string sig = dir.write("max.sig", sig_image({bytes(0xFFFF, 3)}));
  EXPECT_EQ(cli(dir, {"convert", sig, dir.file("max2.sig")}).status, 0);
  EXPECT_EQ(read_file(dir.file("max2.sig")), read_file(sig));
}
