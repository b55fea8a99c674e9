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

// Rows 1..5: "A", zeros, "xAЖж" in Windows-1251, "A", bits 101 at bit 8.
const std::vector<bytes> packets = {
    {0x41}, {0x00, 0x00}, {0x78, 0x41, 0xC6, 0xE6}, {0x41}, {0x00, 0x05}};

}  // namespace

TEST(CliFind, PrintsTheFirstMatchOrEveryMatch) {
  struct row {
    std::vector<std::string> options;
    int status;
    std::string out;
    std::string err;
  };
  const row rows[] = {
      {{"--text", "A"}, 0, "row=1 column=1 offset=0\n", ""},
      {{"--text", "Жж"}, 0, "row=3 column=3 offset=2\n", ""},
      {{"--bits", "101"}, 0, "row=3 column=1 offset=6\n", ""},  // across two bytes
      {{"--bits", "101", "--after", "3"}, 0, "row=5 column=2 offset=8\n", ""},
      // Down from the packet after row 1, up from the packet before row 4.
      {{"--text", "A", "--after", "1"}, 0, "row=3 column=2 offset=1\n", ""},
      {{"--text", "A", "--before", "4"}, 0, "row=3 column=2 offset=1\n", ""},
      {{"--text", "A", "--before", "1"}, 1, "", "Не найдено: A.   \n"},
      {{"--text", "A", "--after", "5"}, 1, "", "Не найдено: A.   \n"},
      {{"--text", "Zz"}, 1, "", "Не найдено: Zz.   \n"},
      {{"--all", "--text", "A"},
       0,
       "row=1 column=1 offset=0\nrow=3 column=2 offset=1\nrow=4 column=1 offset=0\nmatched=3\n",
       ""},
      {{"--all", "--text", "A", "--after", "3"}, 0, "row=4 column=1 offset=0\nmatched=1\n", ""},
      {{"--all", "--bits", "11111"}, 0, "matched=0\n", ""},
  };
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image(packets));
  for (const row& r : rows) {
    std::vector<std::string> args = {"find"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    args.push_back(in);
    const run_result result = cli(dir, args);
    EXPECT_EQ(result.status, r.status) << r.options[1] << result.err;
    EXPECT_EQ(result.out, r.out) << r.options[1];
    EXPECT_EQ(result.err, r.err) << r.options[1];
  }
}

TEST(CliFind, RefusesBadArgumentsWithTheDialogsMessages) {
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{"--text", ""}, "Необходимо значение в поле 'искать...'.   "},
      {{"--bits", "12"}, "Недопустимые символы в поле 'искать...'.   "},
      {{"--text", "A中"}, "Недопустимые символы в поле 'искать...'.   "},
      {{"--text", std::string(33, 'x')}, "Значение в поле 'искать...' не более 32 символов.   "},
      {{"--text", "A", "--bits", "1"}, "find needs one --text or --bits"},
      {{"--text", "A", "--after", "1", "--before", "2"}, "--after cannot be used with --before"},
      {{"--text", "A", "--after", "x"}, "invalid row x for --after"},
  };
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image(packets));
  for (const auto& [options, message] : rows) {
    std::vector<std::string> args = {"find"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(in);
    const run_result result = cli(dir, args);
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_EQ(result.out, "") << message;
    EXPECT_EQ(result.err.rfind("pelorin-cli: " + message + "\n", 0), 0u) << result.err;
  }
  EXPECT_EQ(cli(dir, {"find", "--text", "A"}).status, 2);
}
