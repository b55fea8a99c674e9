// pelorin-cli swap, fill and edit: the packets they write, their counters and their refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

struct run_row {
  std::string name;
  std::vector<std::string> options;  // the command and its options, before IN -o OUT
  std::vector<bytes> input;
  std::string out;
  std::vector<bytes> expected;
};

void expect_runs(const std::vector<run_row>& rows) {
  for (const run_row& r : rows) {
    temp_dir dir;
    std::vector<std::string> args = r.options;
    args.insert(args.end(), {dir.write("in.sig", sig_image(r.input)), "-o", dir.file("out.sig")});
    const run_result result = run_program(dir, PELORIN_CLI, args);
    EXPECT_EQ(result.status, 0) << r.name << result.err;
    EXPECT_EQ(result.out, r.out) << r.name;
    EXPECT_EQ(read_file(dir.file("out.sig")), sig_image(r.expected)) << r.name;
  }
}

struct refusal {
  std::vector<std::string> options;  // before IN -o OUT
  std::string message;
};

void expect_refusals(const std::vector<refusal>& rows) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1, 2}}));
  const std::string out = dir.file("out.sig");
  for (const refusal& r : rows) {
    std::vector<std::string> args = r.options;
    args.insert(args.end(), {in, "-o", out});
    const run_result result = run_program(dir, PELORIN_CLI, args);
    EXPECT_EQ(result.status, 2) << r.message;
    EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(read_file(out).empty()) << r.message;
  }
}

}  // namespace

TEST(CliSwapFillEdit, WriteThePacketsAndCount) {
  expect_runs({
      {"bit reversal",
       {"swap", "--reverse-bits"},
       {{0x01, 0x0F}, {}},
       "processed=2 changed=2\n",
       {{0x80, 0xF0}, {}}},
      {"byte swap counts pairs",
       {"swap", "--swap-bytes"},
       {{1, 2, 3, 4}, {1, 2, 3}, {7}},
       "processed=3 changed=3\n",
       {{2, 1, 4, 3}, {2, 1, 3}, {7}}},
      {"swap where",
       {"swap", "--swap-bytes", "--where", "byte:1=1"},
       {{1, 2}, {3, 4}},
       "processed=2 changed=1\n",
       {{2, 1}, {3, 4}}},
      {"fill to the longest, value 0 by default",
       {"fill", "--longest"},
       {{1}, {1, 2, 3}},
       "processed=2 changed=1\n",
       {{1, 0, 0}, {1, 2, 3}}},
      {"fill to N with V",
       {"fill", "--to", "4", "--value", "255"},
       {{1, 2}, {1, 2, 3, 4, 5}},
       "processed=2 changed=1\n",
       {{1, 2, 255, 255}, {1, 2, 3, 4, 5}}},
      {"fill to a negative length pads nothing",
       {"fill", "--to", "-3", "--value", "9"},
       {{1}},
       "processed=1 changed=0\n",
       {{1}}},
      {"fill longest measures packets outside --where",
       {"fill", "--longest", "--where", "byte:1=1"},
       {{1}, {2, 2, 2}},
       "processed=2 changed=1\n",
       {{1, 0, 0}, {2, 2, 2}}},
      {"edit byte 3 with 300",
       {"edit", "--byte", "3", "--value", "300"},
       {{0, 0, 0}, {0, 0}},
       "processed=2 changed=1\n",
       {{0, 0, 44}, {0, 0}}},
      {"edit byte past 255",
       {"edit", "--byte", "300", "--value", "-1"},
       {bytes(300, 0)},
       "processed=1 changed=1\n",
       {[] {
         bytes b(300, 0);
         b[299] = 255;
         return b;
       }()}},
      {"edit bit 9 set",
       {"edit", "--bit", "9", "--value", "1"},
       {{0, 0}, {0}},
       "processed=2 changed=1\n",
       {{0, 1}, {0}}},
      {"edit bit with 256 clears it",
       {"edit", "--bit", "1", "--value", "256"},
       {{0xFF}},
       "processed=1 changed=1\n",
       {{0xFE}}},
  });
}

TEST(CliSwapFillEdit, BitFileOutput) {
  temp_dir dir;
  const run_result result =
      run_program(dir, PELORIN_CLI,
                  {"fill", "--to", "2", "--value", "7",
                   dir.write("in.sig", sig_image({{1}, {2, 3, 4}})), "-o", dir.file("out.bit")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "processed=2 changed=1\n");
  EXPECT_EQ(read_file(dir.file("out.bit")), (bytes{1, 7, 2, 3, 4}));
}

TEST(CliSwapFillEdit, BadArgumentsAreUsageErrors) {
  expect_refusals({
      {{"swap"}, "swap takes one of --reverse-bits and --swap-bytes"},
      {{"swap", "--reverse-bits", "--swap-bytes"}, "swap takes one of"},
      {{"fill"}, "fill takes one of --longest and --to N"},
      {{"fill", "--longest", "--to", "3"}, "fill takes one of"},
      // The dialog's own messages, the value checked first.
      {{"fill", "--longest", "--value", "256"},
       "Недопустимые символы в поле 'символ-заполнитель'."},
      {{"fill", "--longest", "--value", "-1"}, "Недопустимые символы в поле 'символ-заполнитель'."},
      {{"fill", "--to", "x", "--value", "x"}, "Недопустимые символы в поле 'символ-заполнитель'."},
      {{"fill", "--to", "1.5"}, "Недопустимые символы в поле 'дополнение до...'."},
      {{"edit", "--value", "1"}, "edit takes one of --byte P and --bit P"},
      {{"edit", "--byte", "1", "--bit", "1", "--value", "1"}, "edit takes one of"},
      {{"edit", "--byte", "0", "--value", "1"}, "invalid position 0"},
      {{"edit", "--bit", "x", "--value", "1"}, "invalid position x"},
      {{"edit", "--byte", "1"}, "edit needs --value V"},
      {{"edit", "--byte", "1", "--value", "1x"}, "Недопустимые символы в поле 'изменить на'."},
  });
}

TEST(CliSwapFillEdit, MissingFilesAndInputs) {
  temp_dir dir;
  const run_result no_output =
      run_program(dir, PELORIN_CLI, {"swap", "--swap-bytes", dir.write("in.sig", sig_image({}))});
  EXPECT_EQ(no_output.status, 2);
  EXPECT_NE(no_output.err.find("swap takes IN.sig -o OUT.sig"), std::string::npos);
  const run_result missing = run_program(
      dir, PELORIN_CLI,
      {"edit", "--byte", "1", "--value", "1", dir.file("none.sig"), "-o", dir.file("out.sig")});
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.out, "");
}

TEST(CliSwapFillEdit, FillGrowthTheOutputOrMemoryCannotHoldIsRefusedBeforeThePass) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1}, {2, 3}}));
  struct row {
    std::string to;
    std::string output;
    std::string message;
  };
  const row rows[] = {
      {"65536", "out.sig",
       "--to 65536 is too long: a SIG file holds packets of at most 65535 bytes"},
      {"262145", "out.PCAP",
       "--to 262145 is too long: a pcap file holds packets of at most 262144 bytes"},
      {"2147483647", "out.bit", "--to 2147483647 grows the packets beyond the memory available"},
  };
  for (const row& r : rows) {
    const std::string out = dir.file(r.output);
    const run_result result = run_program(dir, PELORIN_CLI, {"fill", "--to", r.to, in, "-o", out});
    EXPECT_EQ(result.status, 4) << r.to;
    EXPECT_EQ(result.err, "pelorin-cli: " + r.message + '\n');
    EXPECT_EQ(result.out, "") << r.to;
    EXPECT_FALSE(std::filesystem::exists(out)) << r.to;
  }
}
