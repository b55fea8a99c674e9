#include "demodulator/core/memory_stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace sysx {

namespace {

// O_NONBLOCK everywhere: a FIFO must be refused by the type check, not block the open waiting
// for its other end.
int open_flags(uint8_t mode) {
  switch (mode) {
    case memory_stream::read:
      return O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    case memory_stream::create:
      return O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK;
    case memory_stream::read_write:
      return O_RDWR | O_CLOEXEC | O_NONBLOCK;
    default:
      return -1;
  }
}

// Readers share a file, a writer holds it alone. Only another holder's lock refuses it: a file
// system that cannot lock (some network ones) is used unlocked.
bool lock_file(int fd, int operation) {
  return ::flock(fd, operation | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

// Opens and locks the file; -1 on any failure. A file to be created is emptied only once the
// lock is held, so that a file someone else holds is never touched.
int open_locked(const std::string& name, uint8_t mode, uint32_t attributes, uint64_t& size) {
  const int flags = open_flags(mode);
  if (flags < 0) return -1;
  const mode_t permissions = attributes == 0 ? 0666 : static_cast<mode_t>(attributes & 07777);
  const int fd = ::open(name.c_str(), flags, permissions);
  if (fd < 0) return -1;
  struct stat st {};
  const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                  lock_file(fd, mode == memory_stream::read ? LOCK_SH : LOCK_EX) &&
                  (mode != memory_stream::create || ::ftruncate(fd, 0) == 0);
  if (!ok) {
    ::close(fd);
    return -1;
  }
  size = mode == memory_stream::create ? 0 : static_cast<uint64_t>(st.st_size);
  return fd;
}

// Grows a new output file to `length` bytes of 0. The blocks are reserved up front where the file
// system can, so that a full disk fails here and not as a fault while writing through the view.
bool grow(int fd, uint32_t length) {
  if (::ftruncate(fd, length) != 0) return false;
  const int reserved = ::posix_fallocate(fd, 0, length);
  return reserved == 0 || reserved == EINVAL || reserved == EOPNOTSUPP;
}

// Reads the whole file into `to`; false when it ends early or a read fails.
bool read_all(int fd, uint8_t* to, uint32_t length) {
  constexpr size_t chunk = size_t{8} << 20;
  uint64_t done = 0;
  while (done < length) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(length - done, chunk));
    const ssize_t r = ::pread(fd, to + done, n, static_cast<off_t>(done));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    done += static_cast<uint64_t>(r);
  }
  return true;
}

}  // namespace

memory_stream::~memory_stream() {
  if (!open_) return;
  try {
    close(0);
  } catch (...) {
    // A destructor cannot report; the file descriptor is released by close in every case.
  }
}

void memory_stream::create_file(const std::string& name, uint8_t mode, uint32_t attributes) {
  if (open_) close(0);
  uint64_t size = 0;
  const int fd = open_locked(name, mode, attributes, size);
  // Sizes are 32-bit: a larger file cannot be held and is refused rather than cut.
  if (fd >= 0 && size > UINT32_MAX) ::close(fd);
  if (fd < 0 || size > UINT32_MAX) throw std::invalid_argument("memory_stream::create_file failed");
  file_ = fd;
  size_ = static_cast<uint32_t>(size);
  mode_ = mode;
  open_ = true;
}

bit_iterator memory_stream::map(uint32_t size) {
  if (!open_) throw std::logic_error("memory_stream::trying to map closed file");
  if (data_ != nullptr) throw std::logic_error("memory_stream::trying to map mapped file");
  if (mode_ == create && size == 0) {
    throw std::logic_error("memory_stream::trying to map empty output");
  }
  const uint32_t length = mode_ == create ? size : size_;
  const bool sized = length != 0 && (mode_ != create || grow(file_, length));
  if (!sized) {
    ::close(file_);
    file_ = -1;
    open_ = false;
    throw std::runtime_error("memory_stream::create_file_mapping failed");
  }
  // An input is read into memory of the stream's own: a mapping of it would fault (SIGBUS) when
  // another program cut the file, since the lock binds only those who ask for it.
  void* view =
      mode_ == read
          ? ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
          : ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, file_, 0);
  if (view != MAP_FAILED && mode_ == read &&
      (!read_all(file_, static_cast<uint8_t*>(view), length) ||
       ::mprotect(view, length, PROT_READ) != 0)) {
    ::munmap(view, length);
    ::close(file_);
    file_ = -1;
    open_ = false;
    throw std::runtime_error("memory_stream::read_file failed");
  }
  if (view == MAP_FAILED) {
    ::close(file_);
    file_ = -1;
    open_ = false;
    throw std::runtime_error("memory_stream::map_view_of_file failed");
  }
  data_ = static_cast<uint8_t*>(view);
  size_ = length;
  return bit_iterator::first(*this);
}

void memory_stream::unmap() {
  if (data_ == nullptr) throw std::logic_error("memory_stream::trying to unmap not mapped file");
  const int result = ::munmap(data_, size_);
  data_ = nullptr;
  if (result != 0) throw std::runtime_error("memory_stream::unmap_view_of_file failed");
}

void memory_stream::close(uint32_t final_size) {
  if (!open_) throw std::logic_error("memory_stream::trying to close closed file");
  if (mode_ == read && final_size != 0) {
    throw std::logic_error("memory_stream::trying to resize input stream");
  }
  // A view still in place is released first: the file cannot be cut under it.
  if (data_ != nullptr) {
    ::munmap(data_, size_);
    data_ = nullptr;
  }
  bool cut = true;
  if (mode_ != read) cut = ::ftruncate(file_, final_size != 0 ? final_size : size_) == 0;
  ::close(file_);
  file_ = -1;
  open_ = false;
  if (!cut) throw std::runtime_error("memory_stream::set_end_of_file failed");
}

}  // namespace sysx
