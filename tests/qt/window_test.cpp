// The real window on the offscreen platform with two screens: start-up and
// the first pass on a database made by the project's writer, found through
// the control software's log under a temporary drive C:.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QRegularExpression>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "core/clock.h"
#include "core/date_time.h"
#include "platform/jet/mdb_engine.h"
#include "platform/qt/bar_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_form.h"
#include "platform/qt/run_window.h"
#include "platform/screens/qt_screens.h"
#include "platform/transfer/transfer.h"
#include "qt_test_app.h"

namespace tallix::qt {
namespace {

namespace fs = std::filesystem;
using testing_app::ProcessUntil;

class WindowTest : public testing::Test {
 protected:
  WindowTest()
      : drive_c(fs::temp_directory_path() / ("tallix_window_" + std::to_string(getpid()))),
        paths(drive_c.string()),
        host_files(paths),
        engine(mdb, paths) {
    fs::remove_all(drive_c);
    fs::create_directories(drive_c / "Bridgemate");
    fs::copy_file(fs::path(TALLIX_SOURCE_DIR) / "share" / "SPOOLTEMPL.HTM",
                  drive_c / "Bridgemate" / "SPOOLTEMPL.HTM");
  }
  ~WindowTest() override { fs::remove_all(drive_c); }

  // A 7-table Mitchell with names and two rounds played, and a log naming it today.
  void WriteSession() {
    const fs::path json = drive_c / "session.json", bws = drive_c / "Bridgemate" / "Club.bws";
    const std::string make =
        "/usr/bin/python3 " TALLIX_SOURCE_DIR "/scripts/demo_session --rounds 2 > " +
        json.string() + " && " BWSBUILD " " + bws.string() + " " + json.string();
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    std::ofstream(drive_c / "Bridgemate" / "BMProLog.log")
        << "01/01/2001 18:00:00 Opening database C:\\Bridgemate\\Old.bws\r\n"
        << FormatDayMonthYear(clock.Now(), '/')
        << " 19:00:01 Opening database C:\\Bridgemate\\Club.bws\r\n";
  }

  PartsFactory Factory() {
    return [this](FormControl& form, CommonDialog& dialog) {
      return FmTallixParts{engine, host_files,
                           paths,  form,
                           dialog, transfer,
                           clock,  HostDateFormat{},
                           "",     (drive_c / "TallixLog.txt").string()};
    };
  }

  fs::path drive_c;
  files::PathMap paths;
  files::HostFileSystem host_files;
  jet::MdbEngine mdb;
  MappedEngine engine;
  SystemClock clock;
  MemoryTransfer transfer;
  screens::QtScreens screens;
};

TEST_F(WindowTest, StartsUpOnTheSecondScreenAndShowsTheRankings) {
  WriteSession();
  TallixWindow window(paths, Factory(), screens);
  int reports = 0;
  window.ShowReport = [&](const QString&) { ++reports; };
  window.Show();
  ASSERT_TRUE(ProcessUntil([&] { return window.StartedUp() || !window.Failure().isEmpty(); }));
  ASSERT_TRUE(window.StartedUp()) << window.Failure().toStdString();
  EXPECT_EQ(reports, 0);

  QtForm& form = window.Form();
  EXPECT_EQ(form.windowTitle(), "Rankings:  Tuesday Pairs ; Round 2");
  EXPECT_EQ(form.screen()->name(), "B");
  EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(1920, 0));

  GridView& grid = window.Grid();
  const Grid& model = window.Window().GridRank;
  ASSERT_EQ(grid.rowCount(), 7);
  ASSERT_EQ(model.Rows(), 7);
  const QRegularExpression percent("^\\d{1,3}\\.\\d\\d$");
  for (int r = 0; r < 7; ++r) {
    for (int k = 0; k < 9; ++k) {
      EXPECT_EQ(grid.item(r, k)->text().toStdString(), model.DisplayText(r, k)) << r << "," << k;
    }
    EXPECT_EQ(grid.item(r, 0)->text(), QString::number(r + 1));
    EXPECT_TRUE(percent.match(grid.item(r, 3)->text()).hasMatch())
        << grid.item(r, 3)->text().toStdString();
    EXPECT_TRUE(percent.match(grid.item(r, 8)->text()).hasMatch())
        << grid.item(r, 8)->text().toStdString();
    EXPECT_TRUE(grid.item(r, 2)->text().contains(" & "));
  }

  // Fitted to the second screen: the name columns share the extra width and
  // the clock bars lie over the filler column.
  EXPECT_EQ(grid.geometry().size(), QSize(form.width(), form.height()));
  EXPECT_EQ(model.Column(2).Width, model.Column(7).Width);
  EXPECT_NEAR(grid.columnWidth(2), grid.columnWidth(7), 1);  // edges round, not widths
  EXPECT_GT(grid.columnWidth(2), 344);
  const QWidget* bar =
      form.childAt(grid.x() + grid.columnViewportPosition(4) + 2, form.height() - 5);
  ASSERT_NE(bar, nullptr);
  EXPECT_NE(dynamic_cast<const BarView*>(bar), nullptr);

  // The refresh cycle runs, and the page was written.
  EXPECT_TRUE(window.Window().Timer1.Enabled());
  EXPECT_TRUE(fs::exists(drive_c / "Bridgemate" / "RankingTable.htm"));
  EXPECT_EQ(transfer.commands.size(), 1u);
}

TEST_F(WindowTest, AFailedStartUpIsReportedWithNumberAndDescription) {
  // No log of the control software: discovery cannot start.
  TallixWindow window(paths, Factory(), screens);
  QStringList reports;
  bool finished_ok = true;
  window.ShowReport = [&](const QString& r) { reports << r; };
  window.Finished = [&](bool ok) { finished_ok = ok; };
  testing::internal::CaptureStderr();
  window.Show();
  const bool failed = ProcessUntil([&] { return !reports.isEmpty(); });
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(failed);
  ASSERT_EQ(reports.size(), 1);
  EXPECT_EQ(reports[0], "Tallix could not start: error 53: File not found");
  EXPECT_NE(err.find("Tallix could not start: error 53: File not found"), std::string::npos);
  EXPECT_FALSE(finished_ok);
  EXPECT_FALSE(window.StartedUp());
  EXPECT_FALSE(window.Window().Timer1.Enabled());
}

}  // namespace
}  // namespace tallix::qt
