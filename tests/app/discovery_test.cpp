#include "app/discovery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix {
namespace {

constexpr const char* kLog = "C:\\Bridgemate\\BMProLog.log";

class Discovery : public ::testing::Test {
 protected:
  // Today is 5 March 2026.
  ManualClock clock{MakeDateTime(2026, 3, 5, 19, 30, 0)};
  files::MemoryFileSystem fs;
  MemoryDialog dialog;
  SessionState s;

  void Find(const std::string& command_line = "", char separator = '/') {
    FindDatabase(s, command_line, fs, dialog, clock, separator);
  }
  void ExpectReleased() {
    EXPECT_EQ(s.FileSys, nullptr);
    EXPECT_EQ(s.BMLogFile, nullptr);
    EXPECT_EQ(s.BMLogStream, nullptr);
  }
};

std::string Log(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

TEST_F(Discovery, QuestionSwitchAnywhereAsksWithoutReadingTheLog) {
  dialog.files_to_choose = {"C:\\BridgeData\\Orvel\\Bridgemate\\Club.bws"};
  Find("-x/?y");  // no log exists: it is not looked for
  EXPECT_EQ(fs.lookups, 0);
  EXPECT_EQ(dialog.opens, 1);
  EXPECT_EQ(dialog.InitDir, "C:\\BridgeData\\Orvel\\Bridgemate");
  EXPECT_EQ(dialog.Filter, "Bridgemate database files (*.bws)|*.bws");
  EXPECT_EQ(dialog.Flags, 2);
  EXPECT_EQ(s.BWSPath, "C:\\BridgeData\\Orvel\\Bridgemate\\Club.bws");
  ExpectReleased();
}

TEST_F(Discovery, CancelledDialogLeavesThePathEmpty) {
  fs.Put(kLog, Log({"05/03/2026 19:00:00 Started"}));
  Find();
  EXPECT_EQ(dialog.opens, 1);
  EXPECT_EQ(s.BWSPath, "");
}

TEST_F(Discovery, MissingLogIsFileNotFound) {
  try {
    Find("");
    FAIL();
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, 53);
  }
  EXPECT_EQ(dialog.opens, 0);
  ExpectReleased();
}

struct LogCase {
  const char* name;
  std::vector<std::string> lines;
  std::string path;  // "" means the dialog is asked
  char separator = '/';
};

TEST_F(Discovery, LogCases) {
  const LogCase cases[] = {
      {"last of several of today wins",
       {"04/03/2026 22:00:00 Opening database C:\\Old.bws", "05/03/2026 18:00:00 Started",
        "05/03/2026 18:01:00 Opening database C:\\A.bws",
        "05/03/2026 18:30:00 Opening database C:\\B.bws (shared)",
        "05/03/2026 18:31:00 Tables connected"},
       "C:\\B.bws"},
      {"earlier day before today ignored, after today's first line taken",
       {"04/03/2026 22:00:00 Opening database C:\\Old.bws", "05/03/2026 18:00:00 Started",
        "01/01/1999 00:00:00 Opening database C:\\Any Date.bws", "trailing text"},
       "C:\\Any Date.bws"},
      {"no line of today: the last line is tested",
       {"04/03/2026 22:00:00 Opening database C:\\Old.bws", "04/03/2026 23:00:00 Closing",
        "04/03/2026 23:10:00 Opening database C:\\Yesterday.bws"},
       "C:\\Yesterday.bws"},
      {"no line of today and a last line without the phrase",
       {"04/03/2026 22:00:00 Opening database C:\\Old.bws", "04/03/2026 23:00:00 Closing"},
       ""},
      {"capital extension on the last such line",
       {"05/03/2026 18:00:00 Opening database C:\\A.bws",
        "05/03/2026 18:10:00 Opening database C:\\B.BWS"},
       ""},
      {"no extension on the last such line",
       {"05/03/2026 18:00:00 Opening database C:\\A.bws",
        "05/03/2026 18:10:00 Opening database C:\\B"},
       ""},
      {"host date separator",
       {"05/03/2026 18:00:00 Opening database C:\\Slash.bws", "05-03-2026 18:00:00 Started",
        "05-03-2026 18:10:00 Opening database C:\\Dash.bws"},
       "C:\\Dash.bws",
       '-'},
      {"first line of a short log is read",
       {"05/03/2026 18:00:00 Opening database C:\\Clubs\\Caf\xE9.bws", "05/03/2026 18:01:00 Ready"},
       "C:\\Clubs\\Caf\xC3\xA9.bws"},
      {"empty log", {}, ""},
  };
  for (const LogCase& c : cases) {
    SCOPED_TRACE(c.name);
    s = SessionState{};
    dialog.opens = 0;
    fs.Put(kLog, Log(c.lines));
    Find("", c.separator);
    EXPECT_EQ(s.BWSPath, c.path);
    EXPECT_EQ(dialog.opens, c.path.empty() ? 1 : 0);
    ExpectReleased();
  }
}

TEST_F(Discovery, OnlyWholeLinesOfTheLastTwentyThousandCharactersCount) {
  // The tail starts inside a line naming a database: that part-line is dropped.
  const std::string cut =
      "05/03/2026 17:00:00 Opening database C:\\Cut.bws" + std::string(100, 'x') + "\r\n";
  std::string tail;
  while (tail.size() < 20000 - 50) tail += "05/03/2026 17:30:00 Round 1 started\r\n";
  fs.Put(kLog, "05/03/2026 16:00:00 Opening database C:\\Early.bws\r\n" + cut + tail);
  Find();
  EXPECT_EQ(s.BWSPath, "");
  EXPECT_EQ(dialog.opens, 1);
}

TEST_F(Discovery, APathOfAnyLengthIsTakenWhole) {
  const std::string head = "05/03/2026 18:00:00 Opening database C:\\";
  for (const std::size_t length : {218u, 219u, 300u, 4000u}) {
    const std::string line = head + std::string(length - 7, 'a') + ".bws";
    s = SessionState{};
    fs.Put(kLog, Log({line}));
    Find();
    EXPECT_EQ(s.BWSPathEnd, static_cast<int32_t>(line.size())) << length;
    EXPECT_EQ(s.BWSPath, Mid(line, 38)) << length;
    EXPECT_EQ(s.BWSPath.size(), length);
    ExpectReleased();
  }
}

}  // namespace
}  // namespace tallix
