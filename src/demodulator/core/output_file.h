#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessaly {

// An output file written under a temporary name beside its target and renamed over the target
// only by commit(), so that a failed run (a full disk, a write error) leaves no half-written or
// zero-filled file and leaves an earlier file of the same name as it was. An existing target
// must be a regular file that nobody holds locked; it stays locked until it is replaced.
// Failures throw std::runtime_error; an output not committed removes its temporary file.
class output_file {
 public:
  explicit output_file(std::string target);
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;
  ~output_file();

  // Writes the whole content to the temporary file and flushes it to the disk.
  void write(std::span<const uint8_t> bytes);
  // Puts the written file in the target's place.
  void commit();

 private:
  void discard();

  std::string target_;
  std::string temp_;
  int held_ = -1;  // the old target, locked
  bool written_ = false;
};

// Makes output writes fail like a full disk once `bytes` more bytes were written in all (tests);
// nullopt writes normally again.
void fail_output_after_for_testing(std::optional<uint64_t> bytes);

}  // namespace tessaly
