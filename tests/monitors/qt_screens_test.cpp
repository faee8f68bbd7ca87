// The monitor list over Qt's screens on the offscreen platform, with two
// screens from a configuration file: the primary on the right, listed first.
#include "platform/screens/qt_screens.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "monitors/cls_monitors.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;
using namespace screens;

class QtScreensTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = fs::temp_directory_path() / ("tallix_screens_" + std::to_string(getpid()));
    fs::create_directories(folder_);
    const fs::path config = folder_ / "screens.json";
    std::ofstream(config) << R"({"screens": [
      {"name": "A", "x": 1920, "y": 0, "width": 1920, "height": 1080,
       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
      {"name": "B", "x": 0, "y": 0, "width": 1280, "height": 1024,
       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
    static int argc = 1;
    static char name[] = "monitors_qt_test";
    static char* argv[] = {name, nullptr};
    app_ = new QGuiApplication(argc, argv);
  }
  static void TearDownTestSuite() {
    delete app_;
    fs::remove_all(folder_);
  }
  static inline QGuiApplication* app_ = nullptr;
  static inline fs::path folder_;
};

TEST_F(QtScreensTest, ListsBothScreensWithThePrimaryAtTheOrigin) {
  ASSERT_EQ(QGuiApplication::screens().size(), 2);
  ASSERT_EQ(QGuiApplication::primaryScreen()->name(), "A");

  QtScreens screens;
  EXPECT_EQ(screens.GetSystemMetrics(SM_CMONITORS), 2);
  EXPECT_EQ(screens.GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(screens.GetSystemMetrics(SM_CYSCREEN), 1080);

  clsMonitors list(screens);
  EXPECT_EQ(list.DesktopLeft(), -1920);
  EXPECT_EQ(list.DesktopTop(), 0);
  EXPECT_EQ(list.DesktopWidth(), 3840);
  EXPECT_EQ(list.DesktopHeight(), 1080);

  const auto& monitors = *list.Monitors();
  ASSERT_EQ(monitors.Count(), 2);
  const clsMonitor& left = *monitors.Item(1);
  const clsMonitor& primary = *monitors.Item(2);
  EXPECT_EQ(left.Left(), -1920);
  EXPECT_EQ(left.Right(), -640);
  EXPECT_EQ(left.Bottom(), 1024);
  EXPECT_EQ(left.Width(), 1280);
  EXPECT_EQ(left.Height(), 1024);
  EXPECT_EQ(primary.Left(), 0);
  EXPECT_EQ(primary.Width(), 1920);
  EXPECT_EQ(primary.Height(), 1080);
  EXPECT_NE(left.Handle(), primary.Handle());
  EXPECT_EQ(monitors.Key(2), std::to_string(primary.Handle()));

  // The work area is the screen's available geometry.
  QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(primary.WorkRight() - primary.WorkLeft(), available.width());
  EXPECT_EQ(primary.WorkBottom() - primary.WorkTop(), available.height());

  MonitorInfo info;
  info.cbSize = sizeof info;
  ASSERT_NE(screens.GetMonitorInfo(primary.Handle(), info), 0);
  EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
  info.cbSize = sizeof info;
  ASSERT_NE(screens.GetMonitorInfo(left.Handle(), info), 0);
  EXPECT_EQ(info.dwFlags, 0u);
  info.cbSize = 12;
  EXPECT_EQ(screens.GetMonitorInfo(left.Handle(), info), 0);
  info.cbSize = sizeof info;
  EXPECT_EQ(screens.GetMonitorInfo(0, info), 0);

  // Handles stay the same for the run.
  clsMonitors again(screens);
  EXPECT_EQ(again.Monitors()->Item(1)->Handle(), left.Handle());
  EXPECT_EQ(again.Monitors()->Item(2)->Handle(), primary.Handle());
}

}  // namespace
}  // namespace tallix
