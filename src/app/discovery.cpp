#include "app/discovery.h"

#include "core/checked.h"
#include "core/text.h"

namespace tallix {
namespace {

constexpr const char* kLogPath = "C:\\Bridgemate\\BMProLog.log";
constexpr long long kTailCharacters = 20000;
constexpr const char* kMarker = "Opening database";

// Releases the discovery objects however discovery ends.
struct ReleaseFileObjects {
  SessionState& s;
  ~ReleaseFileObjects() {
    s.BMLogStream.reset();
    s.BMLogFile.reset();
    s.FileSys.reset();
  }
};

void AskForDatabase(SessionState& s, CommonDialog& dialog) {
  dialog.InitDir = "C:\\BridgeData\\Orvel\\Bridgemate";
  dialog.Filter = "Bridgemate database files (*.bws)|*.bws";
  dialog.Flags = 2;
  s.BWSPath = dialog.ShowOpen() ? dialog.FileName : std::string();
}

// The path runs from 17 characters after the marker's start up to and
// including ".bws"; a line without ".bws" gives an empty path.
void TakePath(SessionState& s, const std::string& line) {
  s.BWSPathEnd = InStr(line, ".bws") + 3;
  const std::string cut = Left(line, s.BWSPathEnd);
  s.BWSPath = Mid(cut, InStr(line, kMarker) + 17);
}

}  // namespace

void FindDatabase(SessionState& s, const std::string& command_line, files::FileSystem& fs,
                  CommonDialog& dialog, const Clock& clock, char date_separator) {
  ReleaseFileObjects release{s};
  if (InStr(command_line, "/?") != 0) {
    AskForDatabase(s, dialog);
    return;
  }

  // The state holds the file-system object without owning it.
  s.FileSys = std::shared_ptr<files::FileSystem>(std::shared_ptr<void>(), &fs);
  s.BMLogFile = s.FileSys->GetFile(kLogPath);
  const long long n = s.BMLogFile->Size();
  const std::string today = FormatDayMonthYear(clock.Now(), date_separator);

  s.BMLogStream = s.BMLogFile->OpenAsTextStream();
  files::TextStream& log = *s.BMLogStream;
  // A log no longer than the tail is read whole, from its first line.
  if (n > kTailCharacters) {
    log.Skip(n - kTailCharacters);
    log.SkipLine();
  }

  std::string line;
  while (Left(line, 10) != today && !log.AtEndOfStream()) line = log.ReadLine();
  if (InStr(line, kMarker) != 0) TakePath(s, line);
  while (!log.AtEndOfStream()) {
    line = log.ReadLine();
    if (InStr(line, kMarker) != 0) TakePath(s, line);
  }

  if (s.BWSPath.empty()) AskForDatabase(s, dialog);
}

}  // namespace tallix
