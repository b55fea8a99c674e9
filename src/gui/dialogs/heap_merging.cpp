#include "gui/dialogs/heap_merging.h"

// Any header of the C library says which library it is (__GLIBC__).
#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>

namespace {

int depth = 0;  // scopes alive; the GUI thread is the only one that opens them

// The library's own default for the largest request served from the fast lists.
constexpr int default_fast_max = 64 * static_cast<int>(sizeof(size_t)) / 4;

// Whether the user set the fast lists' size: then it stays as the user set it.
bool user_tuned() {
  static const bool tuned = [] {
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    return tunables != nullptr && std::strstr(tunables, "mxfast") != nullptr;
  }();
  return tuned;
}

}  // namespace

heap_merging_scope::heap_merging_scope() {
  if (depth++ == 0 && !user_tuned()) mallopt(M_MXFAST, 0);
}

heap_merging_scope::~heap_merging_scope() {
  if (--depth == 0 && !user_tuned()) mallopt(M_MXFAST, default_fast_max);
}

#else

heap_merging_scope::heap_merging_scope() = default;
heap_merging_scope::~heap_merging_scope() = default;

#endif
