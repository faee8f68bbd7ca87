#pragma once
// Where the activity log TallixLog.txt is written: the file named on the
// command line; else beside the executable when that folder can be written;
// else under the user's state folder ($XDG_STATE_HOME/tallix, by default
// ~/.local/state/tallix), so an installed program keeps its diagnostics.
#include <string>

namespace tallix {

struct LogLocation {
  std::string path;
  // A line for standard error saying where the log went; "" beside the program.
  std::string note;
};

LogLocation ChooseActivityLog(const std::string& program_folder, const std::string& named);

}  // namespace tallix
