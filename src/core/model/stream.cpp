#include "core/model/stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace {

bool has_sig_extension(const std::string& name) {
  const auto slash = name.find_last_of('/');
  const auto dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".sig";
}

}  // namespace

const uint8_t* xstream::end() const { return data_ == nullptr ? nullptr : data_ + file_size_; }

uint64_t xstream::tell() const {
  if (cursor_ == nullptr) return 0;
  return static_cast<uint64_t>(cursor_ - data_) * 8 + bit_offset_;
}

int xstream::seek(uint64_t pos) {
  if (pos > file_size_ * 8) return 2;
  cursor_ = data_ == nullptr ? nullptr : data_ + pos / 8;
  bit_offset_ = static_cast<unsigned>(pos % 8);
  return 0;
}

uint32_t xstream::find_pattern(std::string_view text, uint32_t start) {
  const uint32_t p = xblock::find_pattern(text, start);
  if (p != npos && !no_advance_) (void)seek(p);
  return p;
}

void xstream::attach(uint8_t* data, uint64_t size) {
  data_ = data;
  file_size_ = size;
  byte_length_ = static_cast<uint32_t>(std::min<uint64_t>(size, 0xFFFFFFFFu));
  bit_length_ = static_cast<uint32_t>(std::min<uint64_t>(size * 8, 0xFFFFFFFFu));
  cursor_ = data;
  bit_offset_ = 0;
}

void xstream::detach() { attach(nullptr, 0); }

xin_stream::~xin_stream() {
  if (is_open_) (void)close();
}

int xin_stream::open(const std::string& name) {
  if (is_open_) (void)close();
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 2;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return 2;
  }
  const auto size = static_cast<uint64_t>(st.st_size);
  void* view = size == 0 || size > SIZE_MAX
                   ? MAP_FAILED
                   : ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
  if (view == MAP_FAILED) {
    ::close(fd);
    return 3;
  }
  fd_ = fd;
  attach(static_cast<uint8_t*>(view), size);
  is_open_ = true;
  is_sig_ = has_sig_extension(name);
  return 0;
}

int xin_stream::close() {
  if (!is_open_) return 1;
  int result = 0;
  if (::munmap(data_, static_cast<size_t>(file_size_)) != 0) result = 1;
  if (::close(fd_) != 0) result = 1;
  fd_ = -1;
  detach();
  is_open_ = false;
  is_sig_ = false;
  return result;
}
