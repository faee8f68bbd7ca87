// The Qt views behind the window's controls, on the offscreen platform:
// the form's twips geometry, the grid following its model, keys as
// virtual-key codes, the refresh timer, the clock bars and the dialogs.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/qt/bar_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_dialog.h"
#include "platform/qt/qt_form.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/screen_fonts.h"
#include "platform/qt/virtual_keys.h"
#include "qt_test_app.h"

namespace tallix::qt {
namespace {

using testing_app::ProcessUntil;
using testing_app::WhenModal;

TEST(QtFormTest, StartsWithTheClientAreaOfTheDesignAt15TwipsPerPixel) {
  QtForm form;
  EXPECT_EQ(form.TwipsPerPixelX(), 15);
  EXPECT_EQ(form.TwipsPerPixelY(), 15);
  EXPECT_EQ(form.ScaleWidth(), 11745);
  EXPECT_EQ(form.ScaleHeight(), 8910);
  EXPECT_EQ(form.GetWindowState(), WindowState::Normal);
}

// Left, width and height are the outer frame's; the inner size leaves the
// frame out (the offscreen platform draws a thin one once shown).
TEST(QtFormTest, LengthsInTwipsRoundToWholePixelsOfTheFrame) {
  QtForm form;
  form.show();
  const int frame_x = form.frameGeometry().width() - form.width();
  const int frame_y = form.frameGeometry().height() - form.height();
  form.SetLeft(1500);
  form.SetWidth(3007);  // 200.47 pixels
  form.SetHeight(2993);
  EXPECT_EQ(form.frameGeometry(), QRect(100, form.frameGeometry().y(), 200, 200));
  EXPECT_EQ(form.Left(), 1500);
  EXPECT_EQ(form.Width(), 3000);
  EXPECT_EQ(form.Height(), 3000);
  EXPECT_EQ(form.ScaleWidth(), (200 - frame_x) * 15);
  EXPECT_EQ(form.ScaleHeight(), (200 - frame_y) * 15);
}

// The layout step's moves: maximise on the primary, read the width, go back
// to normal, step just past the primary's right edge and maximise again.
TEST(QtFormTest, MaximisingFillsTheScreenTheWindowIsOnAtOnce) {
  QtForm form;
  form.show();
  form.SetLeft(300);
  form.SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form.GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form.Left(), 0);
  EXPECT_EQ(form.Width(), 1920 * 15);
  EXPECT_EQ(form.Height(), 1080 * 15);
  const double form_width = form.Width();

  form.SetWindowState(WindowState::Normal);
  EXPECT_EQ(form.Left(), 300);
  EXPECT_EQ(form.ScaleWidth(), 11745);  // the client area it had before

  form.SetLeft(form_width + 5);
  form.SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form.Left(), 1920 * 15);
  EXPECT_EQ(form.Width(), 1280 * 15);
  EXPECT_EQ(form.Height(), 1024 * 15);
  EXPECT_EQ(form.ScaleHeight(), form.height() * 15);
  EXPECT_EQ(form.screen()->name(), "B");
}

TEST(QtFormTest, InputBoxAsksWithPromptTitleAndDefaultAndGivesEmptyOnCancel) {
  QtForm form;
  form.show();
  QString prompt, title, shown_default;
  WhenModal<QInputDialog>([&](QInputDialog& d) {
    prompt = d.labelText();
    title = d.windowTitle();
    shown_default = d.textValue();
    d.setTextValue("7.5");
    d.accept();
  });
  EXPECT_EQ(form.InputBox("Minutes remaining: ", "Synchronising with clock", "15"), "7.5");
  EXPECT_EQ(prompt, "Minutes remaining: ");
  EXPECT_EQ(title, "Synchronising with clock");
  EXPECT_EQ(shown_default, "15");

  WhenModal<QInputDialog>([](QInputDialog& d) {
    d.setTextValue("typed, then cancelled");
    d.reject();
  });
  EXPECT_EQ(form.InputBox("Minutes per round: ", "Round Details", "15"), "");
}

TEST(QtFormTest, ActivationRunsOnceFromTheEventLoop) {
  QtForm form;
  int runs = 0;
  form.Activated = [&] { ++runs; };
  form.show();
  EXPECT_EQ(runs, 0);  // not inside show()
  ASSERT_TRUE(ProcessUntil([&] { return runs > 0; }));
  form.hide();
  form.show();
  form.activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(runs, 1);
}

TEST(ScreenFontTest, MissingFacesBecomeTheirStandIns) {
  const QFont arial = ScreenFont("Arial", 12, true, false);
  EXPECT_EQ(arial.pointSizeF(), 12);
  EXPECT_TRUE(arial.bold());
  if (!QFontDatabase::hasFamily("Arial")) {
    EXPECT_EQ(QFontInfo(arial).family(), "Liberation Sans");
  }
  const QFont impact = ScreenFont("Impact", 17.25, false, false);
  EXPECT_EQ(impact.pointSizeF(), 17.25);
  if (!QFontDatabase::hasFamily("Impact")) {
    const QFontInfo info(impact);
    EXPECT_EQ(info.family(), "DejaVu Sans");
    EXPECT_TRUE(info.bold());
    EXPECT_EQ(info.styleName(), "Condensed Bold");
  }
  // A face this host has is taken as it is, as the font dialog gives it.
  const QFont serif = ScreenFont("DejaVu Serif", 10, false, true);
  EXPECT_EQ(QFontInfo(serif).family(), "DejaVu Serif");
  EXPECT_TRUE(QFontInfo(serif).italic());
}

class GridViewTest : public testing::Test {
 protected:
  GridViewTest() : view(grid, form) {}
  QtForm form;
  Grid grid;
  GridView view;
};

TEST_F(GridViewTest, ShowsTheDesignColumnsInPixels) {
  ASSERT_EQ(view.columnCount(), 9);
  const char* captions[] = {"Posn", "Pair", "Names", "%", "", "Posn", "Pair", "Names", "%"};
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(view.horizontalHeaderItem(k)->text(), captions[k]) << k;
  }
  const int widths[] = {37, 37, 344, 66, 17, 37, 37, 344, 66};  // twips / 15
  for (int k = 0; k < 9; ++k) EXPECT_EQ(view.columnWidth(k), widths[k]) << k;
  EXPECT_EQ(view.geometry(), QRect(8, 0, 991, 729));  // 14865 x 10935 twips, 115 in
  EXPECT_EQ(view.horizontalHeader()->font().pointSizeF(), 12);
  EXPECT_TRUE(view.horizontalHeader()->font().bold());
  EXPECT_EQ(view.font().pointSizeF(), 17.25);
}

TEST_F(GridViewTest, ColumnEdgesFollowTheOffsetsWhenWidthsAreFractional) {
  grid.SetColumnWidth(2, 5160 + 1234.5);  // name columns grown by the layout step
  grid.SetColumnWidth(7, 5160 + 1234.5);
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(view.columnViewportPosition(k), form.PixelsX(grid.ColumnLeft(k))) << k;
  }
}

TEST_F(GridViewTest, ShowsTheCellsAsDisplayedWithTheEvenRowColours) {
  grid.SetForeColorEven(RGB(255, 255, 255));
  grid.SetBackColorEven(RGB(0, 128, 0));
  grid.SetRowHeight(600);
  grid.AddItem("1\t3\tAnn & Bob\t56.5\t\t2\t4\tCy & Di\t43.456");
  grid.AddItem("2\t1\tEd & Flo\t50\t\t1\t2\tGus & Hal\t0.5");
  grid.AddItem("3\t2\tIvy & Jo");
  ASSERT_EQ(view.rowCount(), 3);
  EXPECT_EQ(view.item(0, 2)->text(), "Ann & Bob");
  EXPECT_EQ(view.item(0, 3)->text(), "56.50");
  EXPECT_EQ(view.item(0, 8)->text(), "43.46");
  EXPECT_EQ(view.item(1, 3)->text(), "50.00");
  EXPECT_EQ(view.item(1, 8)->text(), ".50");
  EXPECT_EQ(view.item(2, 8)->text(), "");
  EXPECT_EQ(view.rowHeight(1), 40);

  // The second row on screen is the first even row.
  EXPECT_EQ(view.item(1, 2)->foreground().color(), QColor(255, 255, 255));
  EXPECT_EQ(view.item(1, 2)->background().color(), QColor(0, 128, 0));
  EXPECT_NE(view.item(0, 2)->background().color(), QColor(0, 128, 0));
  EXPECT_NE(view.item(2, 2)->background().color(), QColor(0, 128, 0));
}

TEST_F(GridViewTest, WithRedrawOffRowsAreReplacedUnseenAndShownOnce) {
  grid.AddItem("1\t1\tOld");
  grid.SetRedraw(false);
  const int before = view.Syncs();
  grid.RemoveAll();
  for (int r = 1; r <= 20; ++r) grid.AddItem(std::to_string(r) + "\t" + std::to_string(r));
  grid.SetFontSize(12);
  EXPECT_EQ(view.Syncs(), before);
  EXPECT_EQ(view.rowCount(), 1);
  EXPECT_EQ(view.item(0, 2)->text(), "Old");
  grid.SetRedraw(true);
  EXPECT_EQ(view.Syncs(), before + 1);
  EXPECT_EQ(view.rowCount(), 20);
  EXPECT_EQ(view.item(19, 0)->text(), "20");
  EXPECT_EQ(view.font().pointSizeF(), 12);
}

TEST_F(GridViewTest, ARefillWithTheSameRowsLeavesTheScreenAlone) {
  const auto fill = [&](const char* last) {
    grid.SetRedraw(false);
    grid.RemoveAll();
    grid.AddItem("1\t1\tAnn & Bob\t56.5");
    grid.AddItem(std::string("2\t2\t") + last);
    grid.SetRedraw(true);
  };
  fill("Cy & Di");
  const int before = view.Syncs();
  fill("Cy & Di");
  grid.SetHeight(grid.Height());
  EXPECT_EQ(view.Syncs(), before);
  fill("Cy & Dot");
  EXPECT_EQ(view.Syncs(), before + 1);
  EXPECT_EQ(view.item(1, 2)->text(), "Cy & Dot");
  grid.SetForeColorEven(RGB(255, 0, 0));
  EXPECT_EQ(view.Syncs(), before + 2);
}

TEST_F(GridViewTest, FontObjectChangesShowAtTheNextRedraw) {
  GridFont& f = grid.MutableFont();
  f.Name = "DejaVu Serif";
  f.Size = 20;
  f.Italic = true;
  grid.SetRedraw(false);
  grid.SetRedraw(true);
  EXPECT_EQ(QFontInfo(view.font()).family(), "DejaVu Serif");
  EXPECT_EQ(view.font().pointSizeF(), 20);
  EXPECT_TRUE(view.font().italic());
}

TEST_F(GridViewTest, KeysReachTheHandlerAsVirtualKeyCodesWithTheShiftMask) {
  std::vector<std::pair<int, int>> got;
  view.KeyDown = [&](int16_t code, int16_t shift) { got.emplace_back(code, shift); };
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int code, shift;
  };
  const Case cases[] = {
      {Qt::Key_F1, Qt::AltModifier, 112, 4},
      {Qt::Key_F2, Qt::AltModifier, 113, 4},
      {Qt::Key_F5, Qt::AltModifier, 116, 4},
      {Qt::Key_F7, Qt::AltModifier, 118, 4},
      {Qt::Key_F9, Qt::AltModifier, 120, 4},
      {Qt::Key_F11, Qt::AltModifier, 122, 4},
      {Qt::Key_F12, Qt::AltModifier, 123, 4},
      {Qt::Key_End, Qt::NoModifier, 35, 0},
      {Qt::Key_End, Qt::AltModifier, 35, 4},
      {Qt::Key_F2, Qt::AltModifier | Qt::ShiftModifier, 113, 5},
      {Qt::Key_F2, Qt::AltModifier | Qt::ControlModifier, 113, 6},
      {Qt::Key_F12, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 123, 7},
      {Qt::Key_F12, Qt::NoModifier, 123, 0},
      {Qt::Key_A, Qt::ControlModifier, 65, 2},
      {Qt::Key_7, Qt::NoModifier, 55, 0},
      {Qt::Key_Home, Qt::KeypadModifier, 36, 0},
  };
  for (const Case& c : cases) {
    got.clear();
    // The modifier keys go down first and are reported too (Alt is 18).
    QTest::keyClick(&view, c.key, c.mods);
    ASSERT_FALSE(got.empty()) << c.code;
    EXPECT_EQ(got.back(), std::make_pair(c.code, c.shift)) << c.code << " " << c.shift;
  }
  got.clear();
  QTest::keyClick(&view, Qt::Key_F5, Qt::AltModifier);
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{18, 4}, {116, 4}}));
}

TEST(VirtualKeyTest, FunctionKeysRunFrom112) {
  for (int n = 0; n < 24; ++n) EXPECT_EQ(VirtualKeyCode(Qt::Key_F1 + n), 112 + n);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_unknown), 0);
}

TEST(QtTimerTest, RunsWhileTheModelIsEnabledAndOneTickAtATime) {
  Timer model;
  model.SetInterval(65000);
  int ticks = 0;
  // The window's tick handler: disable first, then the pass re-enables.
  QtTimer timer(model, [&] {
    model.SetEnabled(false);
    ++ticks;
    QApplication::processEvents();  // a pass that lets events through sees no second tick
    QTest::qWait(30);
    if (ticks < 3) model.SetEnabled(true);
  });
  EXPECT_FALSE(timer.Backing().isActive());

  model.SetEnabled(true);
  EXPECT_TRUE(timer.Backing().isActive());
  EXPECT_EQ(timer.Backing().interval(), 65000);

  model.SetInterval(10);  // the names step's shorter interval
  EXPECT_EQ(timer.Backing().interval(), 10);
  ASSERT_TRUE(ProcessUntil([&] { return ticks == 3; }));
  EXPECT_FALSE(timer.Backing().isActive());
  QTest::qWait(60);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(timer.Ticks(), 3);
}

TEST(QtTimerTest, AnIntervalOfZeroStopsIt) {
  Timer model;
  QtTimer timer(model, [] {});
  model.SetInterval(0);
  model.SetEnabled(true);
  EXPECT_FALSE(timer.Backing().isActive());
  model.SetInterval(500);
  EXPECT_TRUE(timer.Backing().isActive());
  model.SetInterval(0);
  EXPECT_FALSE(timer.Backing().isActive());
}

TEST(BarViewTest, BarsFollowTheirModelsRemainingInFront) {
  QtForm form;
  form.show();
  PictureBox elapsed, remain;
  BarView elapsed_view(elapsed, form);
  BarView remain_view(remain, form);
  for (PictureBox* b : {&elapsed, &remain}) {
    b->SetLeft(7375);
    b->SetTop(0);
    b->SetWidth(280);
    b->SetHeight(10935);
  }
  elapsed.SetBackColor(RGB(192, 255, 255));
  remain.SetBackColor(RGB(0, 0, 128));
  EXPECT_EQ(elapsed_view.geometry(), QRect(492, 0, 18, 729));  // edges 7375 and 7655 twips
  EXPECT_EQ(elapsed_view.palette().color(QPalette::Window), QColor(192, 255, 255));
  EXPECT_EQ(remain_view.palette().color(QPalette::Window), QColor(0, 0, 128));

  // The pass shrinks the remaining bar from the top as the round runs out.
  remain.SetTop(5460);
  remain.SetHeight(5475);
  remain.SetBackColor(RGB(255, 128, 0));
  EXPECT_EQ(remain_view.geometry(), QRect(492, 364, 18, 365));
  EXPECT_EQ(remain_view.palette().color(QPalette::Window), QColor(255, 128, 0));
  EXPECT_EQ(form.childAt(500, 500), &remain_view);
  EXPECT_EQ(form.childAt(500, 100), &elapsed_view);
}

TEST(QtDialogTest, FilterTextsBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter("Bridgemate database files (*.bws)|*.bws"),
            "Bridgemate database files (*.bws)");
  EXPECT_EQ(QtFileFilter("Databases|*.bws;*.mdb|All files (*.*)|*.*"),
            "Databases (*.bws *.mdb);;All files (*.*)");
  EXPECT_EQ(QtFileFilter(""), "");
}

TEST(QtDialogTest, OpenStartsInTheMappedFolderAndGivesTheChosenPath) {
  namespace fs = std::filesystem;
  const fs::path drive_c =
      fs::temp_directory_path() / ("tallix_qt_dlg_" + std::to_string(getpid()));
  const fs::path folder = drive_c / "BridgeData" / "Orvel" / "Bridgemate";
  fs::create_directories(folder);
  std::ofstream(folder / "club.bws") << "x";
  QtDialog dialog{files::PathMap(drive_c.string())};
  dialog.InitDir = "C:\\BridgeData\\Orvel\\Bridgemate";
  dialog.Filter = "Bridgemate database files (*.bws)|*.bws";
  dialog.Flags = 2;

  QString shown_folder;
  QStringList filters;
  WhenModal<QFileDialog>([&](QFileDialog& d) {
    shown_folder = d.directory().absolutePath();
    filters = d.nameFilters();
    d.selectFile(QString::fromStdString((folder / "club.bws").string()));
    QMetaObject::invokeMethod(&d, "accept");
  });
  EXPECT_TRUE(dialog.ShowOpen());
  EXPECT_EQ(shown_folder.toStdString(), folder.string());
  EXPECT_EQ(filters, QStringList{"Bridgemate database files (*.bws)"});
  EXPECT_EQ(dialog.FileName, (folder / "club.bws").string());

  WhenModal<QFileDialog>([](QFileDialog& d) { d.reject(); });
  EXPECT_FALSE(dialog.ShowOpen());
  EXPECT_EQ(dialog.FileName, "");
  fs::remove_all(drive_c);
}

TEST(QtDialogTest, FontDialogGivesNameSizeBoldAndItalic) {
  QtDialog dialog{files::PathMap("/tmp")};
  WhenModal<QFontDialog>([](QFontDialog& d) {
    QFont f("DejaVu Serif");
    f.setPointSizeF(14);
    f.setBold(true);
    f.setItalic(true);
    d.setCurrentFont(f);
    d.accept();
  });
  ASSERT_TRUE(dialog.ShowFont());
  EXPECT_EQ(dialog.Font.Name, "DejaVu Serif");
  EXPECT_EQ(dialog.Font.Size, 14);
  EXPECT_TRUE(dialog.Font.Bold);
  EXPECT_TRUE(dialog.Font.Italic);

  dialog.Font = {};
  WhenModal<QFontDialog>([](QFontDialog& d) { d.reject(); });
  EXPECT_FALSE(dialog.ShowFont());
  EXPECT_EQ(dialog.Font.Name, "");
}

}  // namespace
}  // namespace tallix::qt
