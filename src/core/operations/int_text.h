#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// An integer as the user types it into a count or value field: decimal with an optional sign,
// within signed 32 bits; nothing else, not even blanks.
[[nodiscard]] std::optional<int32_t> parse_int32(std::string_view text);
