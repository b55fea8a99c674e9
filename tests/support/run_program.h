#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

struct run_result {
  int status;  // exit status, -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a built program with the arguments and no standard input, capturing both output streams
// through files in `dir`.
[[nodiscard]] run_result run_program(const temp_dir& dir, const std::string& program,
                                     const std::vector<std::string>& args);
