#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/model/block.h"

// A block over a whole file with a read cursor. The block's own lengths are the file's, capped at
// 32 bits; positions (tell, seek, end) use the full 64-bit size, so files of 4 GiB and more are
// read whole through current() and end().
class xstream : public xblock {
 public:
  xstream() = default;
  ~xstream() override = default;

  uint32_t find_pattern(std::string_view text, uint32_t start) override;

  // Byte of the read position, and the bit within it (0..7).
  [[nodiscard]] virtual const uint8_t* current() const { return cursor_; }
  [[nodiscard]] virtual unsigned bit_offset() const { return bit_offset_; }
  // One past the last byte held; null without storage.
  [[nodiscard]] virtual const uint8_t* end() const;
  [[nodiscard]] virtual bool is_sig() const { return is_sig_; }
  [[nodiscard]] virtual bool is_open() const { return is_open_; }
  // 0 success, 2 the file cannot be opened (also anything but a regular file), 3 it cannot be
  // read (also a file of 0 bytes).
  virtual int open(const std::string& name) = 0;
  // 0 when an open file was closed, 1 when none was open or a step failed.
  virtual int close() = 0;
  // Cursor position in bits.
  [[nodiscard]] virtual uint64_t tell() const;
  // 2 when pos lies beyond the last bit (pos equal to the bit count is allowed), else 0.
  virtual int seek(uint64_t pos);

  // Whether bits flow from the stream into blocks (true) or from blocks into the stream.
  [[nodiscard]] virtual bool is_input() const = 0;
  // Writable cursor for output streams; null for input streams.
  [[nodiscard]] virtual uint8_t* writable_current() { return nullptr; }

  [[nodiscard]] bool no_advance() const { return no_advance_; }
  void set_no_advance(bool on) { no_advance_ = on; }
  [[nodiscard]] uint64_t file_size() const { return file_size_; }

 protected:
  // Makes the block describe `size` bytes at `data` and puts the cursor on the first byte.
  void attach(uint8_t* data, uint64_t size);
  void detach();

  uint8_t* cursor_ = nullptr;
  unsigned bit_offset_ = 0;
  uint64_t file_size_ = 0;
  bool is_open_ = false;
  bool is_sig_ = false;
  bool no_advance_ = true;
};

// Read-only stream over a whole file, read into memory the stream owns (the holes of a sparse
// file are left as untouched zero pages, which take no memory). While open, the file holds a
// shared lock (flock): other readers may open it too, while a file a writer holds locked yields
// 2. The lock is advisory: a program that ignores it may still cut the file while it is read; the
// stream then holds the bytes it got and says so with truncated(), instead of the process
// faulting on a mapping.
class xin_stream : public xstream {
 public:
  xin_stream() = default;
  ~xin_stream() override;

  void set_bit(uint32_t) override {}
  void set_byte(uint32_t, uint8_t) override {}
  void clear_bit(uint32_t) override {}
  int open(const std::string& name) override;
  int close() override;
  [[nodiscard]] bool is_input() const override { return true; }

  // The file ended (or failed to read) before the size it had when it was opened, or it was
  // larger than memory allows: the stream holds only its first file_size() bytes.
  [[nodiscard]] bool truncated() const { return truncated_; }

  // Bytes asked of the system per read.
  void set_chunk_bytes(size_t bytes) { chunk_bytes_ = bytes == 0 ? 1 : bytes; }
  // Called after every chunk with the bytes read so far (tests change the file here).
  std::function<void(uint64_t)> on_chunk;

 private:
  int fd_ = -1;
  bool truncated_ = false;
  size_t chunk_bytes_ = size_t{8} << 20;
  size_t buffer_size_ = 0;
};
