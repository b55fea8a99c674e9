#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it.
class temp_dir {
 public:
  temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;
  ~temp_dir();

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes the bytes to a file of the folder and returns its path.
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;

 private:
  std::string path_;
};

[[nodiscard]] std::vector<uint8_t> read_file(const std::string& path);

// SIG image of the given packets.
[[nodiscard]] std::vector<uint8_t> sig_image(const std::vector<std::vector<uint8_t>>& packets);
