#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// Which packets are fragments, and the bytes to strip from each kind. Head counts are bytes
// removed from a fragment's start, tail counts bytes removed from its end.
struct defrag_params {
  scope first{false, 0x0000FF};
  uint32_t first_tail = 0;
  std::optional<scope> middle;  // intermediate fragments, when recognised
  uint32_t middle_head = 0;
  uint32_t middle_tail = 0;
  std::optional<scope> last;  // last fragments, when recognised
  uint32_t last_head = 0;
  uint32_t last_tail = 0;
  // Told the (old) number of every packet of defrag_buffer_bytes or more; it stays as it is.
  std::function<void(uint32_t number)> on_overlong;
};

// The message that names an over-long packet (UTF-8): "Пакет номер N: длина превышает размер
// буфера. Пакет будет пропущен.   ".
[[nodiscard]] std::string defrag_overlong_text(uint32_t number);

// The assembly buffer's size: a joined packet holds fewer bytes.
inline constexpr uint32_t defrag_buffer_bytes = 8192;

// Joins fragments into whole packets in one pass, renumbering the store from 0. A packet is,
// first match wins: over-long (defrag_buffer_bytes or more), a first fragment, an intermediate
// fragment, a last fragment, or another packet.
// - A first fragment closes an open group, then opens a new one with its bytes less first_tail.
// - An intermediate fragment appends its inner bytes (also with no group open) when they fit;
//   otherwise it stays in the signal unchanged.
// - A last fragment appends its inner bytes when they fit and closes the group; when they do not
//   fit, the group closes without them and the fragment stays in the signal unchanged.
// - A fragment shorter than its margins adds no bytes. Fragments taken into a group are deleted.
// Closing a group puts a new unmarked packet of its bytes where the group closed. A group still
// open when the pass ends or is cancelled closes there, before the packets not visited.
// Counters: processed, deleted (fragments taken), joined (packets made); modified is set.
void defrag(PAKETS& store, const defrag_params& params, pass& run);
