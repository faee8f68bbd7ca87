#pragma once
// Where the program's own files are: its folder, and the parts it starts or
// loads (beside the program in the build, in ../lib/tallix/ once installed).
#include <string>

namespace tallix {

// The folder of the running executable ("." when it cannot be told).
std::string ProgramFolder();

// The path of a part named `name`: beside the program when it is there,
// otherwise in the installed lib/tallix/ folder.
std::string ProgramPart(const std::string& name);

}  // namespace tallix
