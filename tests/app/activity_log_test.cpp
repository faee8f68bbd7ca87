#include "app/activity_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_folder.h"

namespace tallix {
namespace {
namespace fs = std::filesystem;

class ActivityLogFile : public ::testing::Test {
 protected:
  void SetUp() override { path_ = (folder_ / "TallixLog.txt").string(); }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  tallix::testing::TempFolder temp_{"tallix_log"};
  const fs::path folder_ = temp_.Path();
  std::string path_;
  bool enabled_ = true;
  ManualClock clock_{MakeDateTime(2026, 3, 5, 14, 5, 9)};
};

TEST_F(ActivityLogFile, AppendsOneQuotedLinePerCall) {
  std::ofstream(path_, std::ios::binary) << "earlier\r\n";
  ActivityLog log(enabled_, path_, clock_, HostDateFormat{});
  log.WriteLog("Remaining: 300 \"bar\" 1200");
  log.WriteLog("");
  clock_.Advance(1);
  log.WriteLog("InitColProps: FormHeight: 16200");
  EXPECT_EQ(Contents(),
            "earlier\r\n"
            "\"05/03/2026 14:05:09: Remaining: 300 \"bar\" 1200\"\r\n"
            "\"05/03/2026 14:05:09: \"\r\n"
            "\"05/03/2026 14:05:10: InitColProps: FormHeight: 16200\"\r\n");
}

TEST_F(ActivityLogFile, UsesTheHostsGeneralDate) {
  ActivityLog log(enabled_, path_, clock_, HostDateFormat{"%m-%d-%Y", "%I:%M:%S %p"});
  log.WriteLog("x");
  EXPECT_EQ(Contents(), "\"03-05-2026 02:05:09 PM: x\"\r\n");
}

TEST_F(ActivityLogFile, SwitchedOffTouchesNothingAndIsReadEachCall) {
  enabled_ = false;
  ActivityLog log(enabled_, path_, clock_, HostDateFormat{});
  log.WriteLog("dropped");
  EXPECT_FALSE(fs::exists(path_));
  enabled_ = true;
  log.WriteLog("kept");
  EXPECT_EQ(Contents(), "\"05/03/2026 14:05:09: kept\"\r\n");
}

TEST_F(ActivityLogFile, UnwritableLogDropsLinesAndSaysSoOnce) {
  // Tests may run as root, which writes anywhere: use paths no one can open.
  for (const std::string& path :
       {(folder_ / "missing" / "TallixLog.txt").string(), folder_.string()}) {
    ActivityLog log(enabled_, path, clock_, HostDateFormat{});
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(log.WriteLog("one"));
    EXPECT_NO_THROW(log.WriteLog("two"));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find(path), said.rfind(path)) << said;  // exactly once
    EXPECT_NE(said.find(path), std::string::npos) << said;
  }
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

}  // namespace
}  // namespace tallix
