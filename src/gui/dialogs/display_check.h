#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

// Whether a window system is reachable before QApplication is made: without one Qt aborts with a
// long report. Empty when the program may start, else one line naming what is missing.
// A "-platform" argument is Qt's to judge.
inline std::string missing_display(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
      return {};
    }
  }
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  const std::string platform = chosen == nullptr ? std::string() : std::string(chosen);
  if (platform.rfind("xcb", 0) == 0) {
    if (set("DISPLAY")) return {};
    return "no X display: DISPLAY is not set";
  }
  if (platform.rfind("wayland", 0) == 0) {
    if (set("WAYLAND_DISPLAY")) return {};
    return "no Wayland display: WAYLAND_DISPLAY is not set";
  }
  // Any other named platform (offscreen, minimal, vnc, a frame buffer) needs no display server.
  if (!platform.empty()) return {};
  if (set("DISPLAY") || set("WAYLAND_DISPLAY")) return {};
  return "no display: set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen";
}
