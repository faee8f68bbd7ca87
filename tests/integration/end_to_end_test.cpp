// The display end to end without a window: a real session database written
// by the project's Jet writer, found through the control software's log in
// a folder standing for drive C:, read through libmdb.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "core/run_time_error.h"
#include "platform/jet/mdb_engine.h"
#include "session_files.h"

namespace tallix {
namespace {

using testing::DriveC;
using testing::json;
using testing::Mitchell3;
using testing::MitchellResults;
using testing::Seat;

const DateTime kStart = MakeDateTime(2026, 12, 11, 19, 30, 0);
const char* kToday = "11/12/2026";

class EndToEndTest : public ::testing::Test {
 protected:
  void Start(const std::string& command_line = "") {
    window = std::make_unique<FmTallix>(FmTallixParts{engine, host_files, paths, form, dialog, inet,
                                                      clock, HostDateFormat{"%d/%m/%Y", "%H:%M:%S"},
                                                      command_line, drive.Host("TallixLog.txt"),
                                                      ftp_host});
    window->Form_Activate();
  }
  void WriteSession(const std::string& name, const json& session) {
    jetwriter::WriteBws(drive.Host("BridgeData/Club/" + name), session);
  }
  void LogOpens(const std::string& name) {
    drive.WriteLog({"10/12/2026 20:00:00 Opening database C:\\BridgeData\\Club\\old.bws",
                    std::string(kToday) + " 19:00:00 Program started",
                    std::string(kToday) + " 19:00:05 Opening database C:\\BridgeData\\Club\\" +
                        name + " (exclusive)"});
  }
  std::vector<std::string> Row(int r) const {
    std::vector<std::string> cells;
    for (int c = 0; c < 9; ++c) cells.push_back(window->GridRank.Cell(r, c));
    return cells;
  }
  // The activity log's messages, without their quoted date and time.
  std::vector<std::string> Messages() const {
    std::ifstream in(drive.Host("TallixLog.txt"));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
      const auto colon = line.find(": ");
      out.push_back(line.substr(colon + 2, line.size() - colon - 4));  // drops "\"\r
    }
    return out;
  }
  bool Logged(const std::string& message) const {
    const auto m = Messages();
    return std::find(m.begin(), m.end(), message) != m.end();
  }

  DriveC drive;
  files::PathMap paths{drive.Root().string()};
  files::HostFileSystem host_files{paths};
  jet::MdbEngine mdb;
  MappedEngine engine{mdb, paths};
  ManualClock clock{kStart};
  MemoryForm form;
  MemoryDialog dialog;
  MemoryTransfer inet;
  std::string ftp_host = "127.0.0.1";
  std::unique_ptr<FmTallix> window;
};

TEST_F(EndToEndTest, TwoFieldMitchellPartThenFullyPlayedWithNamesArrivingBetweenPasses) {
  json session = testing::SessionJson(3, "Thursday Pairs Session 2", Mitchell3());
  session["PlayerNumbers"] = {testing::Name(1, "N", "Ann Smith", "2026-12-11 19:01:00"),
                              testing::Name(1, "S", "Bob Smith", "2026-12-11 19:01:00"),
                              testing::Name(1, "E", "Cy Ek", "2026-12-11 19:01:00"),
                              testing::Name(1, "W", "Di <b>Ek</b>", "2026-12-11 19:01:00")};
  session["ReceivedData"] = MitchellResults(1, 1);
  WriteSession("mitchell.bws", session);
  LogOpens("mitchell.bws");

  Start();
  EXPECT_EQ(window->s.BWSPath, "C:\\BridgeData\\Club\\mitchell.bws");
  EXPECT_TRUE(window->s.TwoFields);
  EXPECT_EQ(window->s.Top, 4);
  EXPECT_EQ(form.Caption(), "Rankings:  Thursday Pairs ; Round 1");
  EXPECT_EQ(inet.URL, "FTP://127.0.0.1");
  EXPECT_EQ(inet.UserName, "127.0.0.1|tallix");
  EXPECT_EQ(inet.Password, "qoradu");
  // One result a board so far: half the top each way.
  ASSERT_EQ(window->GridRank.Rows(), 3);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "1", "Ann & Bob Smith", "50", "", "1", "1",
                                              "Cy Ek & Di <b>Ek</b>", "50"}));
  EXPECT_TRUE(Logged("1,NS1,4,8,50,EW1,4,8,50"));
  EXPECT_TRUE(window->Timer1.Enabled());
  EXPECT_EQ(window->Timer1.Interval(), 10000);

  // The rest of the session, and names typed in the same second as the
  // last name read.
  window->Timer1.SetEnabled(false);
  jetwriter::AppendBws(drive.Host("BridgeData/Club/mitchell.bws"),
                       {{"ReceivedData", MitchellResults(2, 3)},
                        {"PlayerNumbers",
                         {testing::Name(2, "N", "Eve Ray", "2026-12-11 19:01:00"),
                          testing::Name(2, "S", "Fay Lu", "2026-12-11 19:02:00"),
                          testing::Name(2, "E", "Gus Ho", "2026-12-11 19:02:00")}}});
  clock.Advance(300);
  window->Timer1_Timer();
  EXPECT_EQ(form.Caption(), "Rankings:  Thursday Pairs ; Round 3");
  ASSERT_EQ(window->GridRank.Rows(), 3);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "1", "Ann & Bob Smith", "91.67", "", "1", "1",
                                              "Cy Ek & Di <b>Ek</b>", "58.33"}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"2", "2", "Eve Ray & Fay Lu", "41.67", "", "2", "2",
                                              "Gus Ho & ", "58.33"}));
  EXPECT_EQ(Row(2),  // no name typed at table 3 yet
            (std::vector<std::string>{"3", "3", "", "16.67", "", "3", "3", "", "33.33"}));
  EXPECT_TRUE(Logged("1,NS1,22,24,91.67,EW1,14,24,58.33"));
  EXPECT_TRUE(Logged("2,NS2,10,24,41.67,EW2,14,24,58.33"));
  EXPECT_TRUE(Logged("3,NS3,4,24,16.67,EW3,8,24,33.33"));
  EXPECT_TRUE(Logged("Remaining:600, Height:7290, Top:3645"));  // 600 of 900 s, design height
  const std::string page = drive.ReadPage();
  EXPECT_NE(page.find("Ann &amp; Bob Smith"), std::string::npos);
  EXPECT_NE(page.find("Di &lt;b&gt;Ek&lt;/b&gt;"), std::string::npos);
  EXPECT_EQ(page.find("<b>Ek</b>"), std::string::npos);
  EXPECT_NE(page.find("91.67"), std::string::npos);
  EXPECT_EQ(inet.commands.size(), 2u);
  EXPECT_EQ(inet.commands.back(), "put C:\\Bridgemate\\RankingTable.htm www/RankingTable.htm");
}

TEST_F(EndToEndTest, OneFieldHowellRanksEveryPairInOneList) {
  // Two tables, four pairs; pairs 1 and 2 change direction in round 2.
  json session = testing::SessionJson(
      2, "Howell",
      {{1, 1, 1, 2, 1, 2}, {2, 1, 3, 4, 1, 2}, {1, 2, 4, 1, 3, 4}, {2, 2, 2, 3, 3, 4}});
  session["PlayerNumbers"] = {testing::Name(2, "E", "Ola Berg", "2026-12-11 19:01:00")};
  session["ReceivedData"] = {testing::Result(1, 1, 1, 1, 1, 2, "N", "4 S", "="),
                             testing::Result(2, 2, 1, 1, 3, 4, "N", "4 S", "-1"),
                             testing::Result(3, 1, 1, 2, 1, 2, "N", "4 S", "-2"),
                             testing::Result(4, 2, 1, 2, 3, 4, "N", "3 S", "="),
                             testing::Result(5, 1, 2, 3, 4, 1, "N", "3 N", "="),
                             testing::Result(6, 2, 2, 3, 2, 3, "N", "3 N", "-1"),
                             testing::Result(7, 1, 2, 4, 4, 1, "N", "1 C", "="),
                             testing::Result(8, 2, 2, 4, 2, 3, "N", "1 C", "=")};
  WriteSession("howell.bws", session);
  LogOpens("howell.bws");
  Start();
  EXPECT_FALSE(window->s.TwoFields);
  EXPECT_EQ(window->s.NSPairName(4), "Ola Berg & ");
  ASSERT_EQ(window->GridRank.Rows(), 2);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "3", "", "62.5", "", "3", "1", "", "37.5"}));
  EXPECT_EQ(Row(1),
            (std::vector<std::string>{"2", "4", "Ola Berg & ", "62.5", "", "4", "2", "", "37.5"}));
  EXPECT_TRUE(Logged("1,NS1,3,8,37.5,EW2,3,8,37.5"));
  EXPECT_TRUE(Logged("2,NS3,5,8,62.5,EW4,5,8,62.5"));
}

TEST_F(EndToEndTest, WithoutAnFtpHostPublishingIsOffAndTheLogSaysSoOnce) {
  json session = testing::SessionJson(3, "Club Session", Mitchell3());
  session["ReceivedData"] = MitchellResults(1, 1);
  WriteSession("off.bws", session);
  LogOpens("off.bws");
  ftp_host = "";
  Start();
  window->Timer1_Timer();
  EXPECT_TRUE(window->PageWritten());
  EXPECT_EQ(inet.URL, "");
  const auto m = Messages();
  EXPECT_EQ(
      std::count(m.begin(), m.end(),
                 "Publishing is off: no FTP host given (--ftp-host); the page is only written"),
      1);
}

TEST_F(EndToEndTest, ABadRowIsLeftOutNamedOnceAndTheDisplayGoesOn) {
  json session = testing::SessionJson(3, "Club Session", Mitchell3());
  session["ReceivedData"] = MitchellResults(1, 1);
  WriteSession("bad.bws", session);
  LogOpens("bad.bws");
  Start();
  ASSERT_EQ(window->GridRank.Rows(), 3);

  json bad = testing::Result(999, 1, 2, 3, 1, 2, "N", "pass", "");
  jetwriter::AppendBws(drive.Host("BridgeData/Club/bad.bws"), {{"ReceivedData", {bad}}});
  window->Timer1_Timer();
  jetwriter::AppendBws(drive.Host("BridgeData/Club/bad.bws"),
                       {{"ReceivedData", MitchellResults(2, 2)}});
  window->Timer1_Timer();
  EXPECT_TRUE(window->Timer1.Enabled());
  EXPECT_EQ(form.Caption(), "Rankings:  Club ; Round 2");  // later rows still count
  const auto m = Messages();
  EXPECT_EQ(std::count(m.begin(), m.end(),
                       "Result left out: table 1, ID 999, board 3, round 2: Contract \"pass\": "
                       "Error 13: Type mismatch"),
            1);
  EXPECT_EQ(std::count_if(m.begin(), m.end(),
                          [](const std::string& l) { return l.rfind("Refresh failed", 0) == 0; }),
            0);
}

TEST_F(EndToEndTest, ASessionRenamedOverTheOpenFileShowsWhatTheFileHoldsNow) {
  json first = testing::SessionJson(3, "First", Mitchell3());
  first["ReceivedData"] = MitchellResults(1, 3);
  json second = testing::SessionJson(3, "Second", Mitchell3());
  second["ReceivedData"] = MitchellResults(2, 2);
  WriteSession("live.bws", first);
  WriteSession("first.bws", first);
  WriteSession("second.bws", second);
  WriteSession("other.bws", testing::SessionJson(2, "Other", {{1, 1, 1, 1, 1, 2}}));
  LogOpens("live.bws");
  const auto rename_over_live = [&](const std::string& name) {
    std::filesystem::copy_file(drive.Host("BridgeData/Club/" + name),
                               drive.Host("BridgeData/Club/incoming.bws"));
    std::filesystem::rename(drive.Host("BridgeData/Club/incoming.bws"),
                            drive.Host("BridgeData/Club/live.bws"));
  };
  const auto rows = [&] {
    std::vector<std::vector<std::string>> all;
    for (int r = 0; r < window->GridRank.Rows(); ++r) all.push_back(Row(r));
    return all;
  };
  const auto fresh_rows = [&] {
    auto running = std::move(window);
    Start();
    const auto fresh = rows();
    window = std::move(running);
    return fresh;
  };
  Start();
  const auto first_rows = rows();

  rename_over_live("second.bws");
  window->Timer1_Timer();
  EXPECT_EQ(rows(), fresh_rows());
  EXPECT_NE(rows(), first_rows);
  const std::string restart =
      "The session in the database is not the one read at start-up (title \"First\", now "
      "\"Second\"): restart the display";
  window->Timer1_Timer();
  auto m = Messages();
  EXPECT_EQ(std::count(m.begin(), m.end(), restart), 1);

  rename_over_live("first.bws");
  window->Timer1_Timer();
  EXPECT_EQ(rows(), first_rows);

  rename_over_live("other.bws");
  window->Timer1_Timer();
  EXPECT_TRUE(Logged(
      "The session in the database is not the one read at start-up (tables 3, now 2): restart "
      "the display"));
}

TEST_F(EndToEndTest, StartUpFailuresAndTheDialog) {
  try {
    Start();  // no log at all
    ADD_FAILURE() << "start-up went on without the control software's log";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, err::kFileNotFound);
  }

  json session = testing::SessionJson(3, "Chosen", Mitchell3());
  session["ReceivedData"] = MitchellResults(1, 1);
  WriteSession("chosen.bws", session);
  dialog.files_to_choose = {"C:\\BRIDGEDATA\\club\\CHOSEN.BWS"};
  Start("/?");
  EXPECT_EQ(dialog.opens, 1);
  EXPECT_EQ(dialog.InitDir, "C:\\BridgeData\\Orvel\\Bridgemate");
  EXPECT_EQ(form.Caption(), "Rankings:  Chosen; Round 1");

  drive.WriteLog({std::string(kToday) + " 19:00:00 Opening database C:\\BridgeData\\Club\\x.BWS"});
  dialog.files_to_choose = {""};  // cancelled
  EXPECT_THROW(Start(), RunTimeError);
}

// The program itself: --once starts up, runs one pass, writes the page and exits.
std::pair<int, std::string> RunCommand(const std::string& command) {
  std::string out;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  std::array<char, 512> buf;
  while (std::fgets(buf.data(), buf.size(), p)) out += buf.data();
  const int status = ::pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(HeadlessProgram, OnceWritesThePageAndTheLogAndExits) {
  DriveC drive;
  json session = testing::SessionJson(3, "Headless Pairs Session 1", Mitchell3());
  session["PlayerNumbers"] = {testing::Name(1, "N", "Ann Smith", "2026-12-11 19:01:00")};
  session["ReceivedData"] = MitchellResults(1, 3);
  jetwriter::WriteBws(drive.Host("BridgeData/Club/once.bws"), session);
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
  drive.WriteLog(
      {std::string(today) + " 09:00:00 Opening database C:\\BridgeData\\Club\\once.bws"});

  const std::string tallix = std::string(TALLIX_BINARY_DIR) + "/src/app/tallix";
  // The dynamic loader lists every library it loads: neither the toolkit nor,
  // with publishing off, the FTP library is one.
  auto [code, out] =
      RunCommand("LC_ALL=C LD_DEBUG=libs " + tallix + " --once --drive-c " + drive.Root().string());
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("libmdb"), std::string::npos) << out;
  EXPECT_EQ(out.find("libQt"), std::string::npos) << out;
  EXPECT_EQ(out.find("libcurl"), std::string::npos) << out;
  EXPECT_NE(out.find("Caption: Rankings:  Headless Pairs ; Round 3"), std::string::npos) << out;
  EXPECT_NE(drive.ReadPage().find("Ann Smith &amp; "), std::string::npos);
  std::ifstream log(std::string(TALLIX_BINARY_DIR) + "/src/app/TallixLog.txt");
  const std::string text(std::istreambuf_iterator<char>(log), {});
  EXPECT_NE(text.find("1,NS1,22,24,91.67,EW1,14,24,58.33"), std::string::npos);

  std::filesystem::remove(drive.Root() / "Bridgemate" / "BMProLog.log");
  std::tie(code, out) =
      RunCommand(tallix + " --once --drive-c " + drive.Root().string() + " </dev/null");
  EXPECT_EQ(code, 1);
  EXPECT_NE(out.find("error 53"), std::string::npos) << out;
}

TEST(HeadlessProgram, ALongPathWorksAndAFifoIsRefusedAtOnce) {
  DriveC drive;
  json session = testing::SessionJson(3, "Deep Pairs", Mitchell3());
  session["ReceivedData"] = MitchellResults(1, 1);
  std::string folder = "BridgeData/Club";
  for (int i = 0; i < 6; ++i) folder += "/" + std::string(50, 'd');
  std::filesystem::create_directories(drive.Host(folder));
  jetwriter::WriteBws(drive.Host(folder + "/deep.bws"), session);
  ::mkfifo(drive.Host("BridgeData/Club/pipe.bws").c_str(), 0600);
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
  const std::string tallix = std::string(TALLIX_BINARY_DIR) + "/src/app/tallix";

  std::string windows_folder = "C:\\" + folder;
  std::replace(windows_folder.begin(), windows_folder.end(), '/', '\\');
  ASSERT_GT(windows_folder.size() + 9, 300u);
  drive.WriteLog(
      {std::string(today) + " 09:00:00 Opening database " + windows_folder + "\\deep.bws"});
  auto [code, out] = RunCommand("LC_ALL=C timeout 60 " + tallix + " --once --drive-c " +
                                drive.Root().string() + " </dev/null");
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("Caption: Rankings:  Deep Pairs; Round 1"), std::string::npos) << out;

  drive.WriteLog(
      {std::string(today) + " 09:00:00 Opening database C:\\BridgeData\\Club\\pipe.bws"});
  std::tie(code, out) = RunCommand("LC_ALL=C timeout 60 " + tallix + " --once --drive-c " +
                                   drive.Root().string() + " </dev/null");
  EXPECT_EQ(code, 1) << out;  // 124 when the open waited for a writer
  EXPECT_NE(out.find("error 3024"), std::string::npos) << out;
}

}  // namespace
}  // namespace tallix
