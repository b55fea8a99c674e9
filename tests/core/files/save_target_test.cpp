#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "core/files/signal_io.h"
#include "support/temp_dir.h"

namespace {

TEST(SaveTarget, OnlyAFileInAnExistingFolderCanBeWritten) {
  temp_dir dir;
  const std::string existing = dir.write("old.sig", {1, 0, 7});
  ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
  struct row {
    std::string path;
    bool writable;
  };
  const row rows[] = {
      {dir.file("new.sig"), true},
      {existing, true},
      {dir.file("sub"), false},              // a folder is no file
      {dir.file("missing/new.sig"), false},  // no such folder
      {existing + "/below.sig", false},      // a file is no folder
  };
  for (const row& r : rows) EXPECT_EQ(can_write_target(r.path), r.writable) << r.path;
}

}  // namespace
