#pragma once
// The program's loadable modules (the window, the FTP backend) lie beside the
// executable in the build and in ../lib/tallix/ once installed.
#include <string>

namespace tallix {

// The module's entry point `symbol`, loaded from the module `file` (e.g.
// "libtallix_ftp.so"); nullptr with `error` set when either is missing.
// A module stays loaded: objects it made may outlive any caller.
void* ProgramModuleEntry(const std::string& file, const char* symbol, std::string& error);

}  // namespace tallix
