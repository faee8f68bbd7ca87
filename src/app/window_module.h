#pragma once
// The window lives in a module of its own (libtallix_window.so beside the
// executable, or in ../lib/tallix/ once installed), loaded only when the
// window is opened, so a run without a window never loads the toolkit.
#include <functional>

#include "app/fm_tallix.h"
#include "platform/files/files.h"

namespace tallix {

// The window's parts around the toolkit's form and dialog.
using WindowPartsFactory = std::function<FmTallixParts(FormControl& form, CommonDialog& dialog)>;

// The whole windowed run; the program's exit status. A module that cannot be
// loaded is reported on standard error as a failed start-up (status 1).
int RunWindowModule(int& argc, char** argv, const files::PathMap& paths,
                    const WindowPartsFactory& make);

}  // namespace tallix
