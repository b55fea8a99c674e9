#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/files/sig_file.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

run_result cli(const temp_dir& dir, const std::vector<std::string>& args) {
  return run_program(dir, PELORIN_CLI, args);
}

// The packets of a SIG file.
contents packets_of(const std::string& path) {
  test_store s;
  const bytes image = read_file(path);
  EXPECT_TRUE(read_sig_image(image, s.store, 0).ok) << path;
  return s.contents();
}

TEST(CliDemux, KeepsOrRemovesTheColumnsAndCounts) {
  temp_dir dir;
  const std::string in =
      dir.write("in.sig", sig_image({{0x10, 0x11, 0x12, 0x13, 0x14}, {0x10, 0x11}, {0x10}}));
  struct row {
    std::vector<std::string> options;
    std::string out;
    contents expected;
  };
  const row rows[] = {
      {{"--keep", "--columns", "2-4"},
       "processed=3 changed=2 deleted=1\n",
       {{0x11, 0x12, 0x13}, {0x11}}},
      {{"--remove", "--columns", "2-4"},
       "processed=3 changed=3 deleted=0\n",
       {{0x10, 0x14}, {0x10}, {0x10}}},
      {{"--keep", "--columns", "1-1", "--where", "byte:2=0x11"},
       "processed=3 changed=2 deleted=0\n",
       {{0x10}, {0x10}, {0x10}}},
  };
  for (const row& r : rows) {
    std::vector<std::string> args = {"demux"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    args.insert(args.end(), {in, "-o", dir.file("out.sig")});
    const run_result result = cli(dir, args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, r.out);
    EXPECT_EQ(packets_of(dir.file("out.sig")), r.expected) << r.out;
  }
}

TEST(CliDemuxDefrag, RefuseBadArguments) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1, 2}}));
  const std::string out = dir.file("out.sig");
  struct row {
    std::vector<std::string> args;
    std::string message;
  };
  const row rows[] = {
      {{"demux", "--columns", "1-2", in, "-o", out}, "one of --keep and --remove"},
      {{"demux", "--keep", "--remove", "--columns", "1-2", in, "-o", out}, "one of --keep"},
      {{"demux", "--keep", in, "-o", out}, "demux needs --columns"},
      {{"demux", "--keep", "--columns", "0-2", in, "-o", out}, "invalid --columns 0-2"},
      {{"demux", "--keep", "--columns", "3-2", in, "-o", out}, "invalid --columns 3-2"},
      {{"defrag", in, "-o", out}, "defrag needs --first"},
      {{"defrag", "--first", "byte:0=1", in, "-o", out}, "--first: bad condition"},
      {{"defrag", "--first", "byte:1=1", "--first-tail", "101", in, "-o", out},
       "invalid --first-tail 101"},
      {{"defrag", "--first", "byte:1=1", "--last-head", "1", in, "-o", out},
       "--last-head and --last-tail need --last"},
      {{"defrag", "--first", "byte:1=1", "--where", "byte:1=1", in, "-o", out},
       "unexpected argument --where"},
  };
  for (const row& r : rows) {
    const run_result result = cli(dir, r.args);
    EXPECT_EQ(result.status, 2) << r.message;
    EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
    EXPECT_TRUE(read_file(out).empty()) << r.message;
  }
}

TEST(CliDefrag, HelpListsWhatTheCommandTakes) {
  temp_dir dir;
  const run_result help = cli(dir, {"defrag", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--first"), std::string::npos) << help.out;
  EXPECT_EQ(help.out.find("--where"), std::string::npos) << help.out;
}

TEST(CliDefrag, JoinsAndNamesOverlongPacketsOnStderr) {
  temp_dir dir;
  const std::string in = dir.write(
      "in.sig",
      sig_image({{0xAA, 1, 2, 0xEE}, bytes(8192, 0xAA), {0xBB, 3, 0xEE}, {0xCC, 4, 0xEE}, {7}}));
  const run_result result =
      cli(dir, {"defrag",      "--first",          "byte:1=0xAA", "--first-tail",  "1", "--middle",
                "byte:1=0xBB", "--middle-head",    "1",           "--middle-tail", "1", "--last",
                "byte:1=0xCC", "--last-head",      "1",           "--last-tail",   "1", in,
                "-o",          dir.file("out.sig")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "processed=5 deleted=3 joined=1\n");
  EXPECT_EQ(result.err, "Пакет номер 1: длина превышает размер буфера. Пакет будет пропущен.   \n");
  EXPECT_EQ(packets_of(dir.file("out.sig")),
            (contents{bytes(8192, 0xAA), {0xAA, 1, 2, 3, 4}, {7}}));
}

// The demo from recording to frames: the fragments of examples/demo.sig, told apart by their
// first byte, join back into exactly the frames the demo generator cut them from.
TEST(CliDefrag, TheDemoSignalJoinsBackIntoItsFrames) {
  temp_dir dir;
  const run_result made =
      run_program(dir, MAKE_DEMO_WAV, {dir.file("demo.wav"), dir.file("frames.sig")});
  ASSERT_EQ(made.status, 0) << made.err;
  const contents frames = packets_of(dir.file("frames.sig"));
  const std::string demo = PELORIN_SOURCE_DIR "/examples/demo.sig";
  // The first fragments, which the README looks at before joining: one per joined group.
  const run_result firsts = cli(dir, {"select", "--where", "byte:1=0x0F", demo});
  ASSERT_EQ(firsts.status, 0) << firsts.err;
  const size_t matched_at = firsts.out.rfind("matched=");
  ASSERT_NE(matched_at, std::string::npos);
  const std::string matched =
      firsts.out.substr(matched_at + 8, firsts.out.find(' ', matched_at) - matched_at - 8);
  const run_result joined = cli(dir, {"defrag",      "--first",
                                      "byte:1=0x0F", "--first-tail",
                                      "1",           "--middle",
                                      "byte:1=0x1F", "--middle-head",
                                      "1",           "--middle-tail",
                                      "1",           "--last",
                                      "byte:1=0x2F", "--last-head",
                                      "1",           "--last-tail",
                                      "1",           demo,
                                      "-o",          dir.file("joined.sig")});
  ASSERT_EQ(joined.status, 0) << joined.err;
  EXPECT_NE(joined.out.find(" joined=" + matched + "\n"), std::string::npos) << joined.out;
  contents whole;
  for (const bytes& p : packets_of(dir.file("joined.sig"))) {
    if (p.size() > 12 && p[0] == 0x0F) whole.push_back(p);
  }
  // Every frame that the recording carries whole comes back. The recording ends inside the next
  // one: its group is joined at the end of the pass and starts like its frame.
  ASSERT_GE(whole.size(), 10u);
  ASSERT_LE(whole.size(), frames.size());
  for (size_t i = 0; i + 1 < whole.size(); ++i) EXPECT_EQ(whole[i], frames[i]) << i;
  const bytes& cut_short = whole.back();
  const bytes& its_frame = frames[whole.size() - 1];
  ASSERT_GE(cut_short.size(), 11u);
  EXPECT_TRUE(std::equal(cut_short.begin(), cut_short.begin() + 11, its_frame.begin()));
  // Row 2 is the first joined frame: the protocol tree reaches its TCP header.
  const run_result decoded = cli(dir, {"decode", "--packet", "2", dir.file("joined.sig")});
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_NE(decoded.out.find("  IP - internet protocol\n"), std::string::npos) << decoded.out;
  EXPECT_NE(decoded.out.find("  TCP - transport control\n"), std::string::npos) << decoded.out;
  EXPECT_NE(decoded.out.find("    отправитель: 192.168.7.20\n"), std::string::npos);
}

}  // namespace
