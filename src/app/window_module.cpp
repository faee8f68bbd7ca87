#include "app/window_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>

namespace tallix {

int RunWindowModule(int& argc, char** argv, const files::PathMap& paths,
                    const WindowPartsFactory& make) {
  // Beside the program in the build, in lib/tallix/ once installed.
  std::error_code ec;
  const auto folder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  std::filesystem::path module = folder / "libtallix_window.so";
  if (!std::filesystem::exists(module, ec))
    module = folder.parent_path() / "lib" / "tallix" / "libtallix_window.so";
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  using Entry = int (*)(int*, char**, const files::PathMap*, const WindowPartsFactory*);
  auto run = handle ? reinterpret_cast<Entry>(::dlsym(handle, "tallix_run_window")) : nullptr;
  if (!run) {
    std::cerr << "Tallix could not start: the window module could not be loaded: " << ::dlerror()
              << "\n";
    return 1;
  }
  // The module stays loaded: objects it made may outlive this call.
  return run(&argc, argv, &paths, &make);
}

}  // namespace tallix
