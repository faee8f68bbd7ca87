#include "app/window_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>

#include "app/program_files.h"

namespace tallix {

int RunWindowModule(int& argc, char** argv, const files::PathMap& paths,
                    const WindowPartsFactory& make) {
  const std::string module = ProgramPart("libtallix_window.so");
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
