#include "core/operations/pass.h"

#include "core/operations/history/undo_recorder.h"

void pass::discard_paket(xpaket* p) {
  if (recorder != nullptr) {
    recorder->drop(p);
  } else {
    delete p;
  }
}
