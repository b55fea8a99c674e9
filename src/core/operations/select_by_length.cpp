#include "core/operations/select_by_length.h"

bool length_matches(uint32_t byte_length, length_operator op, uint32_t length) {
  switch (op) {
    case length_operator::equal:
      return byte_length == length;
    case length_operator::not_equal:
      return byte_length != length;
    case length_operator::at_most:
      return byte_length <= length;
    case length_operator::at_least:
      return byte_length >= length;
  }
  return true;
}

void select_by_length(PAKETS& store, const scope& s, length_selection params, pass& run) {
  // The counters stay local during the walk and reach run.result at the end: the step may not
  // look at them, and the walk keeps them in registers.
  int32_t processed = 0;
  int32_t recoloured = 0;
  run.running = true;
  for (auto at = store.begin(); at != store.end() && run.running; ++at) {
    xpaket& p = *at->second;
    if (s.contains(p) && length_matches(p.byte_length(), params.op, params.length)) {
      p.colour = params.colour;
      ++recoloured;
    }
    ++processed;
    run.step_progress();
  }
  run.result.processed += processed;
  run.result.recoloured += recoloured;
  run.running = false;
}
