#include "demodulator/core/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tessaly {

namespace {

std::atomic<bool> failing{false};
std::atomic<uint64_t> writable_bytes{0};

// write() as the disk allows it: with a failure set for tests, only the bytes left to it.
ssize_t write_some(int fd, const uint8_t* data, size_t n) {
  if (failing.load()) {
    const uint64_t left = writable_bytes.load();
    if (left == 0) {
      errno = ENOSPC;
      return -1;
    }
    if (n > left) n = static_cast<size_t>(left);
    writable_bytes.store(left - n);
  }
  return ::write(fd, data, n);
}

[[noreturn]] void fail(const char* step) {
  throw std::runtime_error(std::string("output_file::") + step + " failed");
}

}  // namespace

void fail_output_after_for_testing(std::optional<uint64_t> bytes) {
  writable_bytes.store(bytes.value_or(0));
  failing.store(bytes.has_value());
}

output_file::output_file(std::string target) : target_(std::move(target)) {}

output_file::~output_file() {
  discard();
}

void output_file::discard() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  if (held_ >= 0) ::close(held_);
  held_ = -1;
}

void output_file::write(std::span<const uint8_t> bytes) {
  if (written_ || !temp_.empty()) throw std::logic_error("output_file::written twice");
  mode_t mode = 0;
  struct stat st {};
  if (::lstat(target_.c_str(), &st) == 0) {
    // O_NONBLOCK: a FIFO in the target's place must not block the open.
    held_ = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (held_ < 0 || ::fstat(held_, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(held_, LOCK_EX | LOCK_NB) != 0) {
      discard();
      fail("lock");
    }
    mode = st.st_mode & 07777;
  } else if (errno == ENOENT) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  } else {
    fail("stat");
  }
  std::vector<char> name(target_.begin(), target_.end());
  for (const char c : std::string(".XXXXXX")) name.push_back(c);
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    discard();
    fail("create");
  }
  temp_ = name.data();
  bool ok = ::fchmod(fd, mode) == 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t r = write_some(fd, bytes.data() + done, bytes.size() - done);
    if (r < 0 && errno == EINTR) continue;
    ok = r > 0;
    if (ok) done += static_cast<size_t>(r);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    discard();
    fail("write");
  }
  written_ = true;
}

void output_file::commit() {
  if (!written_) throw std::logic_error("output_file::commit before write");
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    discard();
    fail("rename");
  }
  temp_.clear();
  discard();
}

}  // namespace tessaly
