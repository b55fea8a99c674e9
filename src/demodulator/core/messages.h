#pragma once

#include <string>

namespace tessaly {

// The program's texts, shown by the window and printed by the headless run.
inline constexpr const char* caption = "Tessaly";
inline constexpr const char* no_sync_text = "Нет синхронизации.   ";
inline constexpr const char* file_error_text = "Ошибка при выполнении файловых операций.   ";

// `name` is the recording's file name without its folder.
[[nodiscard]] inline std::string done_text(const std::string& name) {
  return "Готово. \nВ файле 0_" + name + " - обработанный сигнал. \nВ файле 1_" + name +
         ".sig - пакеты с синхронизацией.";
}

}  // namespace tessaly
