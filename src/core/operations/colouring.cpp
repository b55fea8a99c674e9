#include "core/operations/colouring.h"

#include "core/operations/colour_pass.h"

bool mark_paket(PAKETS& store, uint32_t number, uint32_t colour, undo_recorder* recorder) {
  const auto at = store.find(number);
  if (at == store.end()) return false;
  recolour(*at->second, number, colour, recorder);
  return true;
}

bool unmark_paket(PAKETS& store, uint32_t number, undo_recorder* recorder) {
  return mark_paket(store, number, colour_white, recorder);
}

void select_all(PAKETS& store, uint32_t colour, undo_recorder* recorder) {
  colour_keeper keeper(recorder);
  for (const auto& [number, p] : store) keeper.recolour(*p, number, colour);
}

void unselect_all(PAKETS& store, undo_recorder* recorder) {
  select_all(store, colour_white, recorder);
}

void unselect_colour(PAKETS& store, uint32_t colour, undo_recorder* recorder) {
  colour_keeper keeper(recorder);
  for (const auto& [number, p] : store) {
    if (p->colour == colour) keeper.recolour(*p, number, colour_white);
  }
}

void invert_selection(PAKETS& store, uint32_t colour, undo_recorder* recorder) {
  colour_keeper keeper(recorder);
  for (const auto& [number, p] : store) {
    keeper.recolour(*p, number, p->colour == colour_white ? colour : colour_white);
  }
}
