// The program as a person runs it: its options, what a failed start-up
// says, and where the activity log goes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "session_files.h"
#include "support/run_command.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;
using testing::DriveC;
using testing::json;

const std::string kTallix = std::string(TALLIX_BINARY_DIR) + "/src/app/tallix";

using testing::Outcome;
using testing::RunCommand;

std::string Today() {
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
  return today;
}

// A one-table session the log names today.
void WriteSession(const DriveC& drive) {
  json session = testing::SessionJson(1, "Evening Session 1", {{1, 1, 1, 1, 1, 2}});
  session["ReceivedData"] = {testing::Result(1, 1, 1, 1, 1, 1, "N", "4 S", "=")};
  jetwriter::WriteBws(drive.Host("BridgeData/Club/evening.bws"), session);
  drive.WriteLog({Today() + " 19:00:00 Opening database C:\\BridgeData\\Club\\evening.bws"});
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ProgramOptions, VersionHelpAndUnknownOptions) {
  struct Case {
    std::string args;
    int code;
    std::vector<std::string> says;
  };
  const std::vector<std::string> every_option = {"--once",
                                                 "--headless",
                                                 "--drive-c DIR",
                                                 "--ftp-host HOST",
                                                 "--ftp-port N",
                                                 "--ftp-account NAME",
                                                 "--ftp-password-file FILE",
                                                 "--ftp-tls MODE",
                                                 "--ftp-ca FILE",
                                                 "--log FILE",
                                                 "--version",
                                                 "--help",
                                                 "/?"};
  for (const Case& k : {Case{"--version", 0, {"tallix " TALLIX_VERSION "\n"}},
                        Case{"--help", 0, every_option}, Case{"-h", 0, {"usage: tallix"}},
                        Case{"--onse", 2, {"unknown option --onse", "usage: tallix"}},
                        Case{"/? -x", 2, {"unknown option -x", "usage: tallix"}},
                        Case{"--once --drive-c", 2, {"--drive-c needs a value", "usage:"}},
                        Case{"--once --ftp-port 0", 2, {"port number from 1 to 65535, not 0"}},
                        Case{"--once --ftp-port 21x", 2, {"port number from 1 to 65535"}},
                        Case{"--once --ftp-tls maybe", 2, {"try, require or off, not maybe"}},
                        Case{"--once --headless", 2, {"exclude each other"}}}) {
    SCOPED_TRACE(k.args);
    const Outcome r = RunCommand(kTallix + " " + k.args);
    EXPECT_EQ(r.code, k.code) << r.out;
    for (const std::string& s : k.says) EXPECT_TRUE(Has(r.out, s)) << s << "\n" << r.out;
  }
}

TEST(ProgramStartUp, EachFailureNamesThePathAndTheNextStep) {
  struct Case {
    const char* what;
    bool drive_exists;
    std::vector<std::string> log;  // no log file when empty
    std::vector<std::string> says;
  };
  const std::string today = Today();
  DriveC drive;
  const std::string log_path = drive.Host("Bridgemate/BMProLog.log");
  for (const Case& k : {
           Case{"no drive C: folder", false, {}, {"error 76: Path not found", "does not exist"}},
           Case{"no log", true, {}, {"error 53: File not found", log_path, "--drive-c", "/?"}},
           Case{"no database opened today",
                true,
                {"01/01/2001 18:00:00 Opening database C:\\Old.bws", today + " 18:55:00 Started"},
                {"error 3024", "opened no database today", log_path, today, "/?"}},
           Case{"a line without .bws",
                true,
                {today + " 19:00:00 Opening database C:\\Club\\evening.mdb"},
                {"error 3024", "opened no database today", "/?"}},
       }) {
    SCOPED_TRACE(k.what);
    fs::remove(log_path);
    if (!k.log.empty()) drive.WriteLog(k.log);
    const std::string folder = k.drive_exists ? drive.Root().string() : drive.Host("missing");
    const Outcome r = RunCommand("LC_ALL=C " + kTallix + " --once --drive-c " + folder);
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(Has(r.out, "Tallix could not start: error ")) << r.out;
    EXPECT_TRUE(Has(r.out, "\nNext: ")) << r.out;
    EXPECT_TRUE(Has(r.out, folder)) << r.out;
    for (const std::string& s : k.says) EXPECT_TRUE(Has(r.out, s)) << s << "\n" << r.out;
  }
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The FTP backend is a module of its own: a copy of the program without it
// still runs with publishing off and refuses to start with publishing on.
TEST(ProgramStartUp, WithoutItsFtpModuleOnlyPublishingCannotStart) {
  DriveC drive;
  WriteSession(drive);
  const fs::path bin = drive.Root() / "bin";
  fs::create_directories(bin);
  fs::copy_file(kTallix, bin / "tallix");
  const std::string once = "LC_ALL=C " + (bin / "tallix").string() + " --log " +
                           (drive.Root() / "log.txt").string() + " --once --drive-c " +
                           drive.Root().string();
  const Outcome off = RunCommand(once);
  EXPECT_EQ(off.code, 0) << off.out;
  EXPECT_TRUE(Has(off.out, "Upload: off")) << off.out;
  const Outcome on = RunCommand(once + " --ftp-host 127.0.0.1");
  EXPECT_EQ(on.code, 1) << on.out;
  EXPECT_TRUE(Has(on.out, "Tallix could not start: the FTP module could not be loaded: "))
      << on.out;
  EXPECT_TRUE(Has(on.out, "libtallix_ftp.so")) << on.out;
}

TEST(ProgramLog, LogOptionNamesTheFile) {
  DriveC drive;
  WriteSession(drive);
  const fs::path log = drive.Root() / "logs" / "evening.txt";
  fs::create_directories(log.parent_path());
  const Outcome r = RunCommand("LC_ALL=C " + kTallix + " --once --drive-c " +
                               drive.Root().string() + " --log " + log.string());
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(Has(ReadFile(log), "1,NS1,")) << ReadFile(log);
}

// Run by an unprivileged user (root may write anywhere): the program in a
// folder it cannot write keeps its log under the user's state folder.
TEST(ProgramLog, FallsBackToTheStateFolderWhenTheProgramFolderIsReadOnly) {
  DriveC drive;
  WriteSession(drive);
  const fs::path bin = drive.Root() / "bin", home = drive.Root() / "home";
  fs::create_directories(bin);
  fs::create_directories(home);
  fs::copy_file(kTallix, bin / "tallix");
  std::string as_user;
  if (::geteuid() == 0) {
    as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    ASSERT_EQ(::chown(home.c_str(), 65534, 65534), 0);
  }
  // The drive is the control software's and the page's: open to the user.
  fs::permissions(drive.Root() / "Bridgemate", fs::perms::all, fs::perm_options::add);
  fs::permissions(drive.Root(), fs::perms::all, fs::perm_options::add);
  fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);

  struct Case {
    std::string state;  // XDG_STATE_HOME, "" for unset
    fs::path log;
  };
  for (const Case& k : {Case{"", home / ".local/state/tallix/TallixLog.txt"},
                        Case{(home / "state").string(), home / "state/tallix/TallixLog.txt"}}) {
    SCOPED_TRACE(k.log);
    const std::string env = "env -u XDG_STATE_HOME HOME=" + home.string() + " LC_ALL=C " +
                            (k.state.empty() ? "" : "XDG_STATE_HOME=" + k.state + " ");
    const Outcome r = RunCommand(env + as_user + (bin / "tallix").string() + " --once --drive-c " +
                                 drive.Root().string());
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Has(r.out, "the activity log is " + k.log.string())) << r.out;
    EXPECT_TRUE(Has(ReadFile(k.log), "1,NS1,")) << ReadFile(k.log);
    EXPECT_FALSE(fs::exists(bin / "TallixLog.txt"));
    struct stat written {};
    ASSERT_EQ(::stat(k.log.c_str(), &written), 0);
    // Written by the user, not by root.
    EXPECT_EQ(written.st_uid, as_user.empty() ? ::geteuid() : 65534u);
  }
}

}  // namespace
}  // namespace tallix
