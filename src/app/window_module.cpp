#include "app/window_module.h"

#include <iostream>

#include "app/program_module.h"

namespace tallix {

int RunWindowModule(int& argc, char** argv, const files::PathMap& paths,
                    const WindowPartsFactory& make) {
  std::string error;
  using Entry = int (*)(int*, char**, const files::PathMap*, const WindowPartsFactory*);
  auto run = reinterpret_cast<Entry>(
      ProgramModuleEntry("libtallix_window.so", "tallix_run_window", error));
  if (!run) {
    std::cerr << "Tallix could not start: the window module could not be loaded: " << error << "\n";
    return 1;
  }
  return run(&argc, argv, &paths, &make);
}

}  // namespace tallix
