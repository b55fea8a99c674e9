#pragma once

// What the file targets share: the folder their files go to and the packets as byte vectors.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/model/memory_budget.h"
#include "core/model/pakets.h"
#include "fuzz/fuzz_support.h"

using packet_bytes = std::vector<uint8_t>;

// The stored bytes of every packet, in number order.
[[nodiscard]] inline std::vector<packet_bytes> contents(const PAKETS& store) {
  std::vector<packet_bytes> all;
  for (const auto& [number, p] : store) all.emplace_back(p->bytes(), p->bytes() + p->byte_length());
  return all;
}

// The folder the files of one run are written to (in memory where the system offers it), made
// by open_file_folder and removed when the run ends.
inline std::filesystem::path file_folder;

// For LLVMFuzzerInitialize: makes the folder, and sets the fixed memory figure of every target.
inline void open_file_folder() {
  namespace fs = std::filesystem;
  set_available_memory_for_testing(uint64_t{1} << 30);
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::string name = (base / "pelorin-fuzz-XXXXXX").string();
  FUZZ_CHECK(mkdtemp(name.data()) != nullptr);
  file_folder = name;
  std::atexit([] { std::filesystem::remove_all(file_folder); });
}
