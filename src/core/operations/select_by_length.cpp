#include "core/operations/select_by_length.h"

#include "core/operations/colour_pass.h"

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
  // One walk per comparison, so that the comparison is not chosen again for every packet.
  const uint32_t length = params.length;
  switch (params.op) {
    case length_operator::equal:
      colour_matching(
          store, s, [length](const xpaket& p) { return p.byte_length() == length; }, params.colour,
          run);
      return;
    case length_operator::not_equal:
      colour_matching(
          store, s, [length](const xpaket& p) { return p.byte_length() != length; }, params.colour,
          run);
      return;
    case length_operator::at_most:
      colour_matching(
          store, s, [length](const xpaket& p) { return p.byte_length() <= length; }, params.colour,
          run);
      return;
    case length_operator::at_least:
      colour_matching(
          store, s, [length](const xpaket& p) { return p.byte_length() >= length; }, params.colour,
          run);
      return;
  }
  colour_matching(
      store, s, [](const xpaket&) { return true; }, params.colour, run);
}
