#include "core/operations/rebuild_pass.h"

#include <algorithm>
#include <cstddef>

void new_numbering::wait(xpaket* p) {
  // Room for the whole new numbering plus the slots not yet handed out, which may all end up
  // behind it: finish then only moves pointers.
  const std::size_t needed = std::size_t{size()} + 1 + (store_.size() - consumed_);
  if (store_.capacity() < needed) store_.reserve(std::max(needed, 2 * store_.capacity()));
  waiting_.push_back(p);
}

void new_numbering::finish(uint32_t unreached, xpaket* in_hand) {
  // The slots: [0, written_) new numbering, [written_, unreached) handed out, then the rest.
  // written_ passes `unreached` only when the throwing visit of in_hand took its slot.
  const bool put_back = in_hand != nullptr && written_ > unreached;
  const uint32_t rest = put_back ? unreached + 1 : unreached;
  const auto first = store_.begin() + written_;
  auto at = store_.erase(first, first + (rest - written_));
  at = store_.insert(at, waiting_.data(), waiting_.data() + waiting_.size());
  at += static_cast<std::ptrdiff_t>(waiting_.size());
  waiting_.clear();
  if (put_back) store_.insert(at, &in_hand, &in_hand + 1);
  store_.trim();
}
