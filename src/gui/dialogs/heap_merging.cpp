#include "gui/dialogs/heap_merging.h"

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

int depth = 0;  // scopes alive; the GUI thread is the only one that opens them

#if defined(__GLIBC__)
// The library's own default for the largest request served from the fast lists.
constexpr int default_fast_max = 64 * static_cast<int>(sizeof(size_t)) / 4;

bool user_tuned() {
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  return tunables != nullptr && std::strstr(tunables, "mxfast") != nullptr;
}
#endif

}  // namespace

heap_merging_scope::heap_merging_scope() {
#if defined(__GLIBC__)
  if (depth++ == 0 && !user_tuned()) mallopt(M_MXFAST, 0);
#endif
}

heap_merging_scope::~heap_merging_scope() {
#if defined(__GLIBC__)
  if (--depth == 0 && !user_tuned()) mallopt(M_MXFAST, default_fast_max);
#endif
}
