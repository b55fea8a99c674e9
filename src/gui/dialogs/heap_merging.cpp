#include "gui/dialogs/heap_merging.h"

// Any header of the C library says which library it is (__GLIBC__).
#include <cstdlib>
#include <cstring>
#include <string_view>

#if defined(__GLIBC__)
#include <malloc.h>

namespace {

int depth = 0;  // scopes alive; the GUI thread is the only one that opens them

// The library's own default for the largest request served from the fast lists, and the largest
// it accepts.
constexpr unsigned long default_fast_max = 64 * sizeof(size_t) / 4;
constexpr unsigned long largest_fast_max = 80 * sizeof(size_t) / 4;

// The fast lists' size in force when the program started, which the last scope puts back: the
// library's default, or the user's own (GLIBC_TUNABLES=...glibc.malloc.mxfast=N...) when the
// library took it. The library offers no way to read the size back, so it is found as the library
// found it, once.
int fast_max_at_start() {
  unsigned long size = default_fast_max;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables == nullptr) return static_cast<int>(size);
  constexpr std::string_view key = "glibc.malloc.mxfast=";
  for (const char* at = tunables; (at = std::strstr(at, key.data())) != nullptr;) {
    const bool whole_name = at == tunables || at[-1] == ':';
    at += key.size();
    char* end = nullptr;
    const unsigned long value = std::strtoul(at, &end, 0);
    // The library reads the value as strtoul does and ignores one out of its range; the last
    // setting of a name wins.
    if (whole_name && end != at && (*end == ':' || *end == '\0') && value <= largest_fast_max) {
      size = value;
    }
  }
  return static_cast<int>(size);
}

const int fast_max_before = fast_max_at_start();

}  // namespace

heap_merging_scope::heap_merging_scope() {
  if (depth++ == 0) mallopt(M_MXFAST, 0);
}

heap_merging_scope::~heap_merging_scope() {
  if (--depth == 0) mallopt(M_MXFAST, fast_max_before);
}

#else

heap_merging_scope::heap_merging_scope() = default;
heap_merging_scope::~heap_merging_scope() = default;

#endif
