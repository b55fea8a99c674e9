#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

// The two files a recording turns into, as bytes.
struct output_images {
  std::vector<uint8_t> signal;   // the processed signal
  std::vector<uint8_t> packets;  // the packet file (SIG records)
  bool synced = false;
};

// Both passes in memory; the same bytes as run_file writes. A recording below 2 bytes gives an
// empty signal and the packet file of no sync (run_file refuses such a recording).
[[nodiscard]] output_images process(std::span<const uint8_t> recording);

enum class outcome { done = 0, no_sync = 1, file_error = 2 };

struct run_report {
  outcome result;
  std::string message;  // the text the window shows (UTF-8)
};

// Output files of a recording: "0_" + name and "1_" + name + ".sig" in the recording's folder.
struct output_names {
  std::string name;  // the recording's file name without its folder
  std::string signal;
  std::string packets;
};
[[nodiscard]] output_names names_for(const std::string& recording);

// Reads the recording, runs both passes in memory (process) and writes both files, each under a
// temporary name that replaces the old file only once both are complete. Every failure of a file
// operation becomes file_error and leaves no new file behind: earlier files of the same names
// stay as they were. Without a sync the processed signal is written and the packet file holds
// one empty record.
[[nodiscard]] run_report run_file(const std::string& recording);

}  // namespace tessaly
