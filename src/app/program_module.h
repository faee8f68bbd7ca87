#pragma once
// The program's own parts (the window and FTP modules, the office helper) lie
// beside the executable in the build and in ../lib/tallix/ once installed.
#include <string>

namespace tallix {

// The folder of the running executable ("." when it cannot be told).
std::string ProgramFolder();

// The path of the part `file`: beside the program when it is there, otherwise
// in the installed lib/tallix/ folder.
std::string ProgramPart(const std::string& file);

// The module's entry point `symbol`, loaded from the module `file` (e.g.
// "libtallix_ftp.so"); nullptr with `error` set when either is missing.
// A module stays loaded: objects it made may outlive any caller.
void* ProgramModuleEntry(const std::string& file, const char* symbol, std::string& error);

}  // namespace tallix
