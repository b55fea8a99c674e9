#include "support/run_program.h"

#include <sys/wait.h>

#include <cstdlib>

namespace {

std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string text_of(const std::string& path) {
  const std::vector<uint8_t> b = read_file(path);
  return {b.begin(), b.end()};
}

}  // namespace

run_result run_program(const temp_dir& dir, const std::string& program,
                       const std::vector<std::string>& args) {
  std::string command = quoted(program);
  for (const std::string& a : args) command += " " + quoted(a);
  command += " >" + quoted(dir.file("stdout")) + " 2>" + quoted(dir.file("stderr")) + " </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text_of(dir.file("stdout")),
          text_of(dir.file("stderr"))};
}
