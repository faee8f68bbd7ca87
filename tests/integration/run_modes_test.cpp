// The program itself, started as a user starts it: --headless runs the
// refresh cycle until a stop signal; --once says what became of the page and
// exits 0 only when it was written and, with publishing on, uploaded.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "session_files.h"
#include "support/child_process.h"
#include "support/ftp_server.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::DriveC;
using testing::Eventually;
using testing::json;

const std::string kTallix = std::string(TALLIX_BINARY_DIR) + "/src/app/tallix";

std::string Today() {
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
  return today;
}

class RunModesTest : public ::testing::Test {
 protected:
  // A three-table Mitchell opened today, with `rounds` rounds of results.
  void WriteSession(int rounds, bool names = true) {
    session_ = testing::SessionJson(3, "Live Pairs Session 4", testing::Mitchell3());
    if (names)
      session_["PlayerNumbers"] = {testing::Name(1, "N", "Ann Smith", "2026-12-11 19:01:00")};
    if (rounds > 0) session_["ReceivedData"] = testing::MitchellResults(1, rounds);
    jetwriter::WriteBws(drive_.Host("BridgeData/Club/live.bws"), session_);
    drive_.WriteLog({Today() + " 09:00:00 Opening database C:\\BridgeData\\Club\\live.bws"});
  }
  std::vector<std::string> Command(const std::string& mode, std::vector<std::string> more = {}) {
    std::vector<std::string> argv = {kTallix, mode, "--drive-c", drive_.Root().string()};
    argv.insert(argv.end(), more.begin(), more.end());
    return argv;
  }
  std::vector<std::string> Publish(int port) {
    return {"--ftp-host", "127.0.0.1", "--ftp-port", std::to_string(port)};
  }
  // Runs --once to its end: exit status and output.
  std::pair<int, std::string> Once(std::vector<std::string> more = {}) {
    ChildProcess once(Command("--once", more), (out_.Path() / "once.out").string());
    const int code = once.Wait(90s);
    return {code, once.Output()};
  }
  std::string Page() const { return drive_.ReadPage(); }

  DriveC drive_;
  json session_;
  testing::TempFolder out_{"tallix_program"};
};

TEST_F(RunModesTest, HeadlessFollowsTheSessionPassByPassAndStopsOnSigterm) {
  WriteSession(1);
  ChildProcess headless(Command("--headless"), (out_.Path() / "headless.out").string());
  auto shows = [&](const char* round) {
    return Eventually([&] { return Page().find(round) != std::string::npos; }, 30s);
  };
  ASSERT_TRUE(shows("Live Pairs ; Round 1")) << headless.Output();
  // A name was read, so the next passes come every ten seconds, not 65.
  jetwriter::AppendBws(
      drive_.Host("BridgeData/Club/live.bws"),
      {{"ReceivedData", testing::MitchellResults(2, 2)},
       {"PlayerNumbers", {testing::Name(2, "N", "Eve Ray", "2026-12-11 19:05:00")}}});
  ASSERT_TRUE(shows("Live Pairs ; Round 2")) << headless.Output();
  EXPECT_NE(Page().find("Eve Ray"), std::string::npos);
  jetwriter::AppendBws(drive_.Host("BridgeData/Club/live.bws"),
                       {{"ReceivedData", testing::MitchellResults(3, 3)}});
  ASSERT_TRUE(shows("Live Pairs ; Round 3")) << headless.Output();

  headless.Signal(SIGTERM);
  EXPECT_EQ(headless.Wait(5s), 0) << headless.Output();
}

TEST_F(RunModesTest, HeadlessEndsAtOnceWithAnUploadInFlight) {
  WriteSession(1);
  testing::SilentServer silent;  // the upload waits for a greeting that never comes
  ChildProcess headless(Command("--headless", Publish(silent.Port())),
                        (out_.Path() / "headless.out").string());
  ASSERT_TRUE(Eventually([&] { return !Page().empty(); }, 30s)) << headless.Output();
  headless.Signal(SIGINT);
  EXPECT_EQ(headless.Wait(2s), 0) << headless.Output();
}

TEST_F(RunModesTest, OnceSaysWhatBecameOfThePageAndExitsZeroOnlyWhenItWentOut) {
  enum Server { kNone, kUp, kDown };
  struct Case {
    const char* name;
    int rounds;
    bool template_present;
    Server server;
    std::vector<std::string> more;
    int code;
    std::vector<std::string> said;
  };
  const std::string password_file = (out_.Path() / "password").string();
  std::ofstream(password_file) << "club-secret\r\nsecond line\n";
  const Case cases[] = {
      {"uploaded", 3, true, kUp, {}, 0, {"Page: written", "Upload: done"}},
      {"publishing off", 3, true, kNone, {}, 0, {"Page: written", "Upload: off"}},
      {"server down", 3, true, kDown, {}, 3, {"Upload: failed", "Couldn't connect"}},
      {"template missing", 3, false, kUp, {}, 3, {"Page: not written: ", "Error 53"}},
      {"no results yet", 0, true, kUp, {}, 3, {"Page: not written: no results"}},
      {"TLS required, plain server",
       3,
       true,
       kUp,
       {"--ftp-tls", "require"},
       3,
       {"Upload: failed", "SSL"}},
      {"the club's password",
       3,
       true,
       kUp,
       {"--ftp-password-file", password_file},
       0,
       {"Upload: done"}},
      {"no password file",
       3,
       true,
       kUp,
       {"--ftp-password-file", password_file + ".missing"},
       1,
       {"Tallix could not start: error 53", "password.missing"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteSession(c.rounds);
    const auto template_path = drive_.Root() / "Bridgemate" / "SPOOLTEMPL.HTM";
    const auto kept = drive_.Root() / "kept.htm";
    if (!c.template_present) std::filesystem::rename(template_path, kept);
    std::filesystem::remove(drive_.Root() / "Bridgemate" / "RankingTable.htm");
    const auto home = out_.Path() / "home";
    std::filesystem::remove_all(home);
    const bool own_password = !c.more.empty() && c.more[0] == "--ftp-password-file";
    std::unique_ptr<testing::FtpServer> server;
    if (c.server == kUp) {
      server = std::make_unique<testing::FtpServer>(
          home, testing::FtpServer::Options{.password = own_password ? "club-secret" : "qoradu"});
    }
    std::vector<std::string> more;
    if (c.server != kNone) more = Publish(server ? server->Port() : testing::FreePort());
    more.insert(more.end(), c.more.begin(), c.more.end());

    const auto [code, out] = Once(more);
    EXPECT_EQ(code, c.code) << out;
    for (const auto& s : c.said) EXPECT_NE(out.find(s), std::string::npos) << s << " in\n" << out;
    EXPECT_EQ(out.find("qoradu"), std::string::npos) << out;
    if (c.code == 0 && server) {
      EXPECT_EQ(testing::ReadFile(home / "www" / "RankingTable.htm"), Page());
    }
    if (!c.template_present) std::filesystem::rename(kept, template_path);
  }
}

TEST_F(RunModesTest, OnceUploadsOverTlsToAServerWithTheClubsOwnCertificate) {
  const auto home = out_.Path() / "tls" / "home";
  testing::TlsFtpServer tls(home);
  if (!tls.WhyNot().empty()) GTEST_SKIP() << tls.WhyNot();
  WriteSession(3);
  auto more = Publish(tls.Port());
  more.insert(more.end(), {"--ftp-tls", "try", "--ftp-ca", tls.CertFile()});
  const auto [code, out] = Once(more);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(testing::ReadFile(home / "www" / "RankingTable.htm"), Page());
  EXPECT_NE(tls.Log().find("200 PROT now Private."), std::string::npos) << tls.Log();
}

}  // namespace
}  // namespace tallix
