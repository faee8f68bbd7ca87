#include "app/program_files.h"

#include <filesystem>

namespace tallix {

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

std::string ProgramPart(const std::string& name) {
  const std::filesystem::path folder = ProgramFolder();
  std::error_code ec;
  if (std::filesystem::exists(folder / name, ec)) return (folder / name).string();
  return (folder.parent_path() / "lib" / "tallix" / name).string();
}

}  // namespace tallix
