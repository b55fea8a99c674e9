#include "core/operations/select_by_length.h"

#include "core/operations/colour_pass.h"

namespace {

// One walk per comparison, so that the comparison is not chosen again for every packet.
template <length_operator op>
void colour_by_length(PAKETS& store, const scope& s, length_selection params, pass& run) {
  colour_matching(
      store, s,
      [length = params.length](const xpaket& p) {
        return length_matches(p.byte_length(), op, length);
      },
      params.colour, run);
}

}  // namespace

void select_by_length(PAKETS& store, const scope& s, length_selection params, pass& run) {
  switch (params.op) {
    case length_operator::equal:
      return colour_by_length<length_operator::equal>(store, s, params, run);
    case length_operator::not_equal:
      return colour_by_length<length_operator::not_equal>(store, s, params, run);
    case length_operator::at_most:
      return colour_by_length<length_operator::at_most>(store, s, params, run);
    case length_operator::at_least:
      return colour_by_length<length_operator::at_least>(store, s, params, run);
  }
  // Any other value matches every packet.
  colour_by_length<static_cast<length_operator>(0xFF)>(store, s, params, run);
}
