#include "core/operations/quick_filter.h"

#include "core/operations/rebuild_pass.h"

std::optional<quick_filter_params> quick_filter_from_command(uint16_t command) {
  const unsigned code = command & 0xFF;
  const unsigned drop = command >> 8;
  if (code < static_cast<unsigned>(filter_criterion::byte) ||
      code > static_cast<unsigned>(filter_criterion::colour) || drop > 1) {
    return std::nullopt;
  }
  quick_filter_params params;
  params.criterion = static_cast<filter_criterion>(code);
  params.drop = drop == 1;
  return params;
}

namespace {

// The reference values of the current packet and the test against them.
struct reference {
  filter_criterion criterion;
  uint32_t column;
  uint32_t length;
  uint32_t colour;
  uint8_t byte;

  [[nodiscard]] bool matches(const xpaket& p) const {
    switch (criterion) {
      case filter_criterion::byte:
        return column < p.byte_length() && p.bytes()[column] == byte;
      case filter_criterion::length:
        return p.byte_length() == length;
      case filter_criterion::colour:
        return p.colour == colour;
    }
    return false;
  }
};

}  // namespace

bool quick_filter_applies(const PAKETS& store, const quick_filter_params& params) {
  const auto current = store.find(params.row);
  if (current == store.end()) return false;
  return params.criterion != filter_criterion::byte ||
         params.column < current->second->byte_length();
}

void quick_filter(PAKETS& store, const quick_filter_params& params, pass& run) {
  if (!quick_filter_applies(store, params)) return;
  const xpaket& model = *store.find(params.row)->second;

  reference ref{params.criterion, params.column, model.byte_length(), model.colour, 0};
  if (params.criterion == filter_criterion::byte) ref.byte = model.bytes()[params.column];

  const bool drop = params.drop;
  rebuild_store(store, run, [&](xpaket* p, new_numbering& next) {
    if (ref.matches(*p) != drop) {
      next.append(p);
    } else {
      run.delete_paket(p);
    }
  });
  if (run.result.deleted != 0) run.result.modified = true;
}
