#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "demodulator/core/pipeline.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// Runs a built program without a display.
run_result run(const temp_dir& dir, const std::string& program, const std::string& arg) {
  return run_program(
      dir, "env",
      {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", program, arg});
}

const std::string examples = std::string(PELORIN_SOURCE_DIR) + "/examples/";

}  // namespace

TEST(ExampleData, DemoRecordingAndSignalMatchTheirGenerator) {
  temp_dir dir;
  const run_result made = run(dir, MAKE_DEMO_WAV, dir.file("demo.wav"));
  ASSERT_EQ(made.status, 0) << made.err;
  const std::vector<uint8_t> wav = read_file(dir.file("demo.wav"));
  EXPECT_EQ(wav, read_file(examples + "demo.wav"));
  EXPECT_LT(wav.size(), 1u << 20);
#ifdef TESSALY_PROGRAM
  const run_result r = run(dir, TESSALY_PROGRAM, dir.file("demo.wav"));
  EXPECT_EQ(r.status, 0) << r.err;
#else
  EXPECT_EQ(tessaly::run_file(dir.file("demo.wav")).result, tessaly::outcome::done);
#endif
  EXPECT_EQ(read_file(dir.file("1_demo.wav.sig")), read_file(examples + "demo.sig"));
}

#ifdef TESSALY_PROGRAM
TEST(Headless, PrintsTheMessageAndExitsWithItsStatus) {
  temp_dir dir;
  const std::string demo = dir.write("demo.wav", read_file(examples + "demo.wav"));
  const run_result done = run(dir, TESSALY_PROGRAM, demo);
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(done.out,
            "Готово. \nВ файле 0_demo.wav - обработанный сигнал. \n"
            "В файле 1_demo.wav.sig - пакеты с синхронизацией.\n");

  const run_result quiet =
      run(dir, TESSALY_PROGRAM, dir.write("quiet.wav", std::vector<uint8_t>(100, 0)));
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.err, "Нет синхронизации.   \n");

  const run_result missing = run(dir, TESSALY_PROGRAM, dir.file("missing.wav"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "Ошибка при выполнении файловых операций.   \n");

  // This process holds the recording as a writer would: the program cannot have it.
  const int fd = ::open(demo.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_EQ(run(dir, TESSALY_PROGRAM, demo).status, 2);
  ::close(fd);
  EXPECT_EQ(run(dir, TESSALY_PROGRAM, demo).status, 0);
}
#endif
