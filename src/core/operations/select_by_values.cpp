#include "core/operations/select_by_values.h"

void select_by_values(PAKETS& store, const scope& s, const CLAUSES& conditions, uint32_t colour,
                      pass& run) {
  const CLAUSES clauses = conditions;
  run.running = true;
  for (auto at = store.begin(); at != store.end() && run.running; ++at) {
    xpaket& p = *at->second;
    if (s.contains(p) && meets_all(p, clauses)) {
      p.colour = colour;
      ++run.result.recoloured;
    }
    ++run.result.processed;
    run.step_progress();
  }
  run.running = false;
}
