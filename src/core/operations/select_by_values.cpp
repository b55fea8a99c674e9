#include "core/operations/select_by_values.h"

#include "core/operations/colour_pass.h"

void select_by_values(PAKETS& store, const scope& s, const CLAUSES& conditions, uint32_t colour,
                      pass& run) {
  // Made from the list as it is now: a change of the list during the pass does not reach it.
  const clause_test test(conditions);
  colour_matching(
      store, s, [&test](const xpaket& p) { return test(p); }, colour, run);
}
