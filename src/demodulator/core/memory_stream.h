#pragma once

#include <cstdint>
#include <string>

#include "demodulator/core/basic_memory.h"
#include "demodulator/core/bit_iterator.h"

namespace sysx {

// A whole file in memory: an input is read into memory of the stream's own (so that a program
// that ignores the lock and cuts the file cannot make the reader fault), an output is mapped.
// While the stream is open the file is held with an exclusive lock, so a second stream (or
// another program that locks) cannot open it. Anything but a regular file is refused at once. Every
// misuse and every failed system call throws a standard exception whose text names the step.
class memory_stream : public basic_memory {
 public:
  enum open_mode : uint8_t {
    read = 0,        // the file must exist; a copy of it
    create = 1,      // created, or emptied if it exists; mapped with a size given to map
    read_write = 2,  // the file must exist; writable view of its current size
  };

  memory_stream() = default;
  // Closes an open file with final size 0 (a written file keeps its mapped size).
  ~memory_stream() override;

  // Opens the file. `attributes` are the permission bits of a created file (0: rw for everyone,
  // less the umask). The stream's size becomes the file's size.
  virtual void create_file(const std::string& name, uint8_t mode, uint32_t attributes = 0);
  // Releases the view (if any) and closes the file. Modes 1 and 2 cut or grow the file to
  // `final_size` bytes, or to the stream's size when `final_size` is 0.
  virtual void close(uint32_t final_size);
  // Maps the whole file and returns the first bit of the view. Mode 1 first grows the file to
  // `size` bytes of 0; modes 0 and 2 ignore `size`.
  virtual bit_iterator map(uint32_t size);
  virtual void unmap();
  [[nodiscard]] virtual bool is_open() const { return open_; }

  [[nodiscard]] uint8_t mode() const { return mode_; }
  [[nodiscard]] bool is_mapped() const { return data_ != nullptr; }

 private:
  bool open_ = false;
  uint8_t mode_ = read;
  int file_ = -1;
};

}  // namespace sysx
