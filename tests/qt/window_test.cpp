// The real window on the offscreen platform with two screens: start-up and
// the first pass on a database made by the project's writer, found through
// the control software's log under a temporary drive C:.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/qt/bar_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_form.h"
#include "window_fixture.h"

namespace tallix::qt {
namespace {

namespace fs = std::filesystem;
using testing_app::ProcessUntil;

class WindowTest : public testing_window::SessionWindowTest {};

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
  EXPECT_EQ(grid.x() + grid.width(), form.width());
  EXPECT_EQ(grid.height(), form.height());
  EXPECT_EQ(model.Column(2).Width, model.Column(7).Width);
  EXPECT_NEAR(grid.columnWidth(2), grid.columnWidth(7), 1);  // edges round, not widths
  EXPECT_GT(grid.columnWidth(2), 344);
  const QWidget* bar =
      form.childAt(grid.x() + grid.columnViewportPosition(4) + 2, form.height() - 5);
  ASSERT_NE(bar, nullptr);
  EXPECT_NE(dynamic_cast<const BarView*>(bar), nullptr);

  // The headings are painted in their own face, not in the cells' narrow one.
  const QFont heading =
      grid.horizontalHeaderItem(2)->font().resolve(grid.horizontalHeader()->font());
  EXPECT_EQ(heading.stretch(), QFont::Unstretched);
  EXPECT_TRUE(heading.bold());
  EXPECT_EQ(heading.pointSizeF(), 12);
  // Every caption fits its column, "Posn" in its narrow design column too.
  const int margins =
      2 * grid.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid.horizontalHeader());
  for (int k = 0; k < 9; ++k) {
    const QTableWidgetItem* caption = grid.horizontalHeaderItem(k);
    const QFont font = caption->font().resolve(grid.horizontalHeader()->font());
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(caption->text()) + margins, grid.columnWidth(k))
        << caption->text().toStdString();
    EXPECT_EQ(font.pointSizeF(), 12);
  }

  // The refresh cycle runs, and the page was written.
  EXPECT_TRUE(window.Window().Timer1.Enabled());
  EXPECT_TRUE(fs::exists(drive_c / "Bridgemate" / "RankingTable.htm"));
  EXPECT_EQ(transfer.commands.size(), 1u);
}

TEST_F(WindowTest, TheUploadsOutcomeToldOnItsThreadIsLoggedThroughTheEventLoop) {
  auto window = StartWindow();
  ASSERT_TRUE(transfer.report);
  auto logged = [&] {
    std::ifstream in(LogPath());
    return std::string(std::istreambuf_iterator<char>(in), {})
               .find("Upload to ftp://127.0.0.1:2121 works again") != std::string::npos;
  };
  std::thread([&] { transfer.report("Upload to ftp://127.0.0.1:2121 works again"); }).join();
  EXPECT_FALSE(logged());  // not from the upload's thread
  EXPECT_TRUE(ProcessUntil(logged));
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
  // The operator is told which file was looked for where, and what to do.
  EXPECT_TRUE(reports[0].startsWith("Tallix could not start: error 53: File not found\n"));
  EXPECT_TRUE(reports[0].contains((drive_c / "Bridgemate" / "BMProLog.log").c_str()));
  EXPECT_TRUE(reports[0].contains("--drive-c"));
  EXPECT_TRUE(reports[0].contains("/?"));
  EXPECT_NE(err.find(reports[0].toStdString()), std::string::npos);
  EXPECT_FALSE(finished_ok);
  EXPECT_FALSE(window.StartedUp());
  EXPECT_FALSE(window.Window().Timer1.Enabled());
}

}  // namespace
}  // namespace tallix::qt
