#include "app/terminal_dialog.h"

#include <unistd.h>

#include <string>

#include "core/text.h"

namespace tallix {

bool TerminalDialog::ShowOpen() {
  FileName.clear();
  if (!isatty(fileno(in_))) return false;
  std::fprintf(out_, "%s\nDatabase to open (folder %s), empty to cancel: ", Filter.c_str(),
               InitDir.c_str());
  std::fflush(out_);
  std::string line;
  for (int c; (c = std::fgetc(in_)) != EOF && c != '\n';) line += static_cast<char>(c);
  FileName = Trim(line);
  return !FileName.empty();
}

}  // namespace tallix
