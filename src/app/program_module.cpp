#include "app/program_module.h"

#include <dlfcn.h>

#include <filesystem>

namespace tallix {

void* ProgramModuleEntry(const std::string& file, const char* symbol, std::string& error) {
  std::error_code ec;
  const auto folder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  std::filesystem::path module = folder / file;
  if (!std::filesystem::exists(module, ec)) module = folder.parent_path() / "lib" / "tallix" / file;
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* entry = handle ? ::dlsym(handle, symbol) : nullptr;
  if (!entry) {
    const char* why = ::dlerror();
    error = why ? why : module.string() + ": no " + symbol;
  }
  return entry;
}

}  // namespace tallix
