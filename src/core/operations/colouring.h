#pragma once

#include <cstdint>

#include "core/model/pakets.h"

class undo_recorder;

// The main window's colouring commands. Colouring is how packets are selected: white
// (colour_white) is unmarked. None of them changes the numbering or the packet data. With a
// recorder, the old colours of the packets they recolour are kept for undo.

// Colours packet `number`; false, and nothing changes, when the store has no such packet.
bool mark_paket(PAKETS& store, uint32_t number, uint32_t colour, undo_recorder* recorder = nullptr);
bool unmark_paket(PAKETS& store, uint32_t number, undo_recorder* recorder = nullptr);

// Every packet gets `colour`.
void select_all(PAKETS& store, uint32_t colour, undo_recorder* recorder = nullptr);
// Every packet becomes white.
void unselect_all(PAKETS& store, undo_recorder* recorder = nullptr);
// The packets of `colour` become white; others keep theirs.
void unselect_colour(PAKETS& store, uint32_t colour, undo_recorder* recorder = nullptr);
// White packets get `colour`; packets of any other colour become white.
void invert_selection(PAKETS& store, uint32_t colour, undo_recorder* recorder = nullptr);
