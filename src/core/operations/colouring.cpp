#include "core/operations/colouring.h"

bool mark_paket(PAKETS& store, uint32_t number, uint32_t colour) {
  const auto at = store.find(number);
  if (at == store.end()) return false;
  at->second->colour = colour;
  return true;
}

bool unmark_paket(PAKETS& store, uint32_t number) {
  return mark_paket(store, number, colour_white);
}

void select_all(PAKETS& store, uint32_t colour) {
  for (const auto& entry : store) entry.second->colour = colour;
}

void unselect_all(PAKETS& store) {
  select_all(store, colour_white);
}

void unselect_colour(PAKETS& store, uint32_t colour) {
  for (const auto& entry : store) {
    if (entry.second->colour == colour) entry.second->colour = colour_white;
  }
}

void invert_selection(PAKETS& store, uint32_t colour) {
  for (const auto& entry : store) {
    xpaket& p = *entry.second;
    p.colour = p.colour == colour_white ? colour : colour_white;
  }
}
