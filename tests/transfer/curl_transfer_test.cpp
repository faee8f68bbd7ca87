// The FTP upload against real servers on loopback: pyftpdlib with the
// program's user name and password, vsftpd offering TLS.
#include "platform/transfer/curl_transfer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

#include "core/run_time_error.h"
#include "support/ftp_server.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

using namespace std::chrono_literals;
using testing::FtpServer;

constexpr const char* kPut = "put C:\\Bridgemate\\RankingTable.htm www/RankingTable.htm";

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CurlTransferTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(drive_ / "Bridgemate"); }

  std::unique_ptr<CurlTransfer> Make(int port, FtpSettings settings = {}) {
    settings.port = port;
    auto t = std::make_unique<CurlTransfer>(files::PathMap(drive_.string()), settings);
    t->URL = "FTP://127.0.0.1";
    t->UserName = testing::kFtpUser;
    t->Password = testing::kFtpPassword;
    t->SetReport([this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    });
    return t;
  }
  void WritePage(const std::string& text) {
    std::ofstream(drive_ / "Bridgemate" / "RankingTable.htm", std::ios::binary) << text;
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  std::filesystem::path Landed() const { return home_ / "www" / "RankingTable.htm"; }

  testing::TempFolder temp_{"tallix_upload"};
  const std::filesystem::path drive_ = temp_.Path() / "c";
  const std::filesystem::path home_ = temp_.Path() / "home";
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

TEST_F(CurlTransferTest, ThePageLandsWholeInAFolderMadeForItAndTheNextReplacesIt) {
  FtpServer server(home_, {});
  auto inet = Make(server.Port());
  const std::string first =
      "<p>Ann &amp; Bob \xC3\x98"
      "berg</p>\r\n" +
      std::string(70000, 'x');
  WritePage(first);
  inet->Execute("", kPut);
  ASSERT_TRUE(inet->WaitIdle(30s));
  EXPECT_TRUE(inet->LastOutcome().ok) << inet->LastOutcome().error;
  EXPECT_EQ(Read(Landed()), first);

  WritePage("<p>round 2</p>\n");
  inet->Execute("", kPut);
  ASSERT_TRUE(inet->WaitIdle(30s));
  EXPECT_EQ(Read(Landed()), "<p>round 2</p>\n");
  EXPECT_TRUE(Lines().empty());  // uploads that work are not told
}

TEST_F(CurlTransferTest, WhileASlowUploadRunsOnlyTheNewestPutWaits) {
  FtpServer server(home_, {.stor_delay = 1});
  auto inet = Make(server.Port());
  for (const char* page : {"first ", "second ", "third "}) {
    WritePage(page + std::string(100000, '.'));
    inet->Execute("", kPut);
    std::this_thread::sleep_for(100ms);  // the first upload is under way
  }
  ASSERT_TRUE(inet->WaitIdle(60s));
  EXPECT_TRUE(inet->LastOutcome().ok) << inet->LastOutcome().error;
  // The server notes a file just after the client hears it arrived.
  testing::Eventually([&] { return server.Received("www/RankingTable.htm") >= 2; }, 5s);
  EXPECT_EQ(server.Received("www/RankingTable.htm"), 2) << server.Output();
  EXPECT_EQ(Read(Landed()).substr(0, 6), "third ");
}

TEST_F(CurlTransferTest, AFailureIsToldOnceAndSoIsTheRecovery) {
  struct Case {
    const char* name;
    std::string expected;  // in the one line told
  };
  const int down_port = testing::FreePort();
  FtpServer refusing(home_ / "refusing", {.password = "another"});
  testing::SilentServer silent;
  const std::pair<Case, int> cases[] = {
      {{"server down", "Couldn't connect to server"}, down_port},
      {{"login refused", "Login denied"}, refusing.Port()},
      {{"no answer", "Timeout was reached"}, silent.Port()},
  };
  WritePage("page");
  for (const auto& [c, port] : cases) {
    lines_.clear();
    auto inet = Make(port, {.connect_timeout_s = 1, .stall_timeout_s = 5});
    for (int pass = 0; pass < 2; ++pass) {
      inet->Execute("", kPut);
      ASSERT_TRUE(inet->WaitIdle(30s)) << c.name;
    }
    EXPECT_FALSE(inet->LastOutcome().ok) << c.name;
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u) << c.name << ": " << ::testing::PrintToString(lines);
    EXPECT_NE(lines[0].find("ftp://127.0.0.1:" + std::to_string(port)), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find(c.expected), std::string::npos) << c.name << ": " << lines[0];
    EXPECT_EQ(lines[0].find(testing::kFtpPassword), std::string::npos) << lines[0];
  }

  // The server that was down comes up: one line, and the page lands.
  lines_.clear();
  auto inet = Make(down_port);
  inet->Execute("", kPut);
  ASSERT_TRUE(inet->WaitIdle(30s));
  FtpServer back(home_, {.port = down_port});
  WritePage("page after the outage");
  inet->Execute("", kPut);
  ASSERT_TRUE(inet->WaitIdle(30s));
  EXPECT_EQ(Read(Landed()), "page after the outage");
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Upload to ftp://127.0.0.1:" + std::to_string(down_port) + " works again");
}

TEST_F(CurlTransferTest, ExecuteOnlyTakesAPutOfAPageToAPath) {
  auto inet = Make(21);
  for (const char* bad : {"", "get www/a b", "put C:\\x.htm", "put a b c", "dir"}) {
    EXPECT_THROW(inet->Execute("", bad), RunTimeError) << bad;
  }
}

TEST_F(CurlTransferTest, TlsWhenOfferedWithTheClubsCertificateAndRequiredTlsRefusesAPlainServer) {
  testing::TlsFtpServer tls(home_);
  if (!tls.WhyNot().empty()) GTEST_SKIP() << tls.WhyNot();
  WritePage("secured page");
  auto inet = Make(tls.Port(), {.tls = FtpTls::Try, .ca_file = tls.CertFile()});
  inet->Execute("", kPut);
  ASSERT_TRUE(inet->WaitIdle(30s));
  EXPECT_TRUE(inet->LastOutcome().ok) << inet->LastOutcome().error;
  EXPECT_EQ(Read(Landed()), "secured page");
  const std::string log = tls.Log();
  // The control connection before the password, and the data connection.
  EXPECT_LT(log.find("\"AUTH "), log.find("\"PASS ")) << log;
  EXPECT_NE(log.find("200 PROT now Private."), std::string::npos) << log;

  // A certificate the program cannot verify: refused, the password never sent.
  auto unverified = Make(tls.Port(), {.tls = FtpTls::Try});
  unverified->Execute("", kPut);
  ASSERT_TRUE(unverified->WaitIdle(30s));
  EXPECT_FALSE(unverified->LastOutcome().ok);
  EXPECT_EQ(testing::Occurrences(tls.Log(), "\"PASS "), 1) << tls.Log();

  // Off never asks: plain FTP even to a server that offers TLS.
  const int asked = testing::Occurrences(tls.Log(), "\"AUTH ");
  auto off = Make(tls.Port(), {.tls = FtpTls::Off});
  off->Execute("", kPut);
  ASSERT_TRUE(off->WaitIdle(30s));
  EXPECT_TRUE(off->LastOutcome().ok) << off->LastOutcome().error;
  EXPECT_EQ(testing::Occurrences(tls.Log(), "\"AUTH "), asked) << tls.Log();

  FtpServer plain(home_ / "plain", {});
  auto required = Make(plain.Port(), {.tls = FtpTls::Require});
  required->Execute("", kPut);
  ASSERT_TRUE(required->WaitIdle(30s));
  EXPECT_FALSE(required->LastOutcome().ok);
  const auto lines = Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("SSL"), std::string::npos) << lines.back();
}

}  // namespace
}  // namespace tallix
