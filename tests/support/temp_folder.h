#pragma once
// A new, empty folder for one test, removed with everything in it afterwards.
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace tallix::testing {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix) {
    std::string name = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (!::mkdtemp(name.data())) throw std::runtime_error("no temporary folder for " + prefix);
    path_ = name;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tallix::testing
