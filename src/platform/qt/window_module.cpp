// The windowed program as a module of its own, loaded by the executable only
// when a window is wanted (see app/window_module.h).
#include "platform/qt/run_window.h"

extern "C" __attribute__((visibility("default"))) int tallix_run_window(
    int* argc, char** argv, const tallix::files::PathMap* paths,
    const tallix::qt::PartsFactory* make) {
  return tallix::qt::RunWindow(*argc, argv, *paths, *make);
}
