#include "app/program_module.h"

#include <dlfcn.h>

#include <filesystem>

namespace tallix {

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

std::string ProgramPart(const std::string& file) {
  const std::filesystem::path folder = ProgramFolder();
  std::error_code ec;
  if (std::filesystem::exists(folder / file, ec)) return (folder / file).string();
  return (folder.parent_path() / "lib" / "tallix" / file).string();
}

void* ProgramModuleEntry(const std::string& file, const char* symbol, std::string& error) {
  const std::string module = ProgramPart(file);
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* entry = handle ? ::dlsym(handle, symbol) : nullptr;
  if (!entry) {
    const char* why = ::dlerror();
    error = why ? why : module + ": no " + symbol;
  }
  return entry;
}

}  // namespace tallix
