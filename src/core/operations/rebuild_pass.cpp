#include "core/operations/rebuild_pass.h"

void new_numbering::append(xpaket* p) {
  // In place only behind the walk, and only while nothing waits, so that the order holds.
  if (waiting_.empty() && written_ < consumed_) {
    write_->second = p;
    ++write_;
    ++written_;
  } else {
    waiting_.push_back(p);
  }
}

void new_numbering::take_rest(PAKETS::iterator at) {
  for (; at != store_.end(); ++at) {
    xpaket* p = at->second;
    consume();
    append(p);
  }
}

void new_numbering::finish() {
  store_.erase(write_, store_.end());
  for (xpaket* p : waiting_) store_.append(p);
  waiting_.clear();
}
