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

TEST(CliStats, WritesTheVariantsAsCsv) {
  struct row {
    std::string name;
    std::vector<std::string> options;
    std::string out;
  };
  const std::vector<bytes> signal = {{1, 2, 3}, {1, 2}, {1, 5, 3}, {1, 2, 3}};
  const row rows[] = {
      {"two bytes, a short packet's third byte absent",
       {"--bytes", "2,3"},
       "byte2,byte3,packets,percent\n2,3,2,50.00\n2,,1,25.00\n5,3,1,25.00\n"},
      {"bits", {"--bits", "2"}, "bit2,packets,percent\n0,4,100.00\n"},
      {"lengths", {"--lengths"}, "length,packets,percent\n3,3,75.00\n2,1,25.00\n"},
  };
  for (const row& r : rows) {
    temp_dir dir;
    std::vector<std::string> args = {"stats"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    args.push_back(dir.write("in.sig", sig_image(signal)));
    const run_result result = cli(dir, args);
    EXPECT_EQ(result.status, 0) << r.name << result.err;
    EXPECT_EQ(result.out, r.out) << r.name;
    EXPECT_EQ(result.err, "") << r.name;
  }
}

TEST(CliStats, TheLimitIsReportedAndTheVariantsStillWritten) {
  std::vector<bytes> signal;
  for (uint32_t k = 0; k < 20001; ++k) {
    signal.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8)});
  }
  temp_dir dir;
  const run_result result =
      cli(dir, {"stats", "--bytes", "1,2", dir.write("in.sig", sig_image(signal))});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "Слишком большое количество вариантов.   \n");
  size_t lines = 0;
  for (char c : result.out) lines += c == '\n';
  EXPECT_EQ(lines, 20001u);  // the header and 20000 variants
  EXPECT_EQ(result.out.substr(0, 40), "byte1,byte2,packets,percent\n0,0,1,0.005\n");
}

TEST(CliStats, WrongPositionsAndModesAreRefused) {
  const std::vector<std::vector<std::string>> wrong = {
      {"--bytes", "0"},           {"--bytes", "1,,2"},           {"--bits", "-3"},
      {"--bytes", "1,2,3,4,5,6"}, {"--lengths", "--bytes", "1"}, {},
      {"--bytes", "x"},
  };
  for (const std::vector<std::string>& options : wrong) {
    temp_dir dir;
    std::vector<std::string> args = {"stats"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(dir.write("in.sig", sig_image({{1}})));
    const run_result result = cli(dir, args);
    EXPECT_EQ(result.status, 2) << args.size();
    EXPECT_EQ(result.out, "");
  }
}
