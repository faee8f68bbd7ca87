// The real window reaches the second screen wherever it stands; ctest runs
// this program once per placement (TALLIX_TEST_SCREENS).
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScreen>

#include "platform/qt/grid_view.h"
#include "platform/qt/qt_form.h"
#include "window_fixture.h"

namespace tallix::qt {
namespace {

class WindowPlacementTest : public testing_window::SessionWindowTest {};

TEST_F(WindowPlacementTest, TheWindowFillsTheSecondScreen) {
  QScreen* second = nullptr;
  for (QScreen* s : QGuiApplication::screens())
    if (s->name() == "B") second = s;
  ASSERT_NE(second, nullptr);
  ASSERT_NE(QGuiApplication::primaryScreen(), second);

  auto window = StartWindow();
  ASSERT_TRUE(window->StartedUp());
  QtForm& form = window->Form();
  EXPECT_EQ(form.screen(), second);
  // At the screen's corner, the screen's size inside the frame that the
  // platform adds once the window is shown.
  EXPECT_EQ(form.frameGeometry().topLeft(), second->geometry().topLeft());
  EXPECT_EQ(form.size(), second->geometry().size());

  // The grid runs to the window's right edge, its last column on the screen.
  GridView& grid = window->Grid();
  EXPECT_EQ(grid.x() + grid.width(), form.width());
  EXPECT_EQ(grid.height(), form.height());
  EXPECT_LE(grid.columnViewportPosition(8) + grid.columnWidth(8), grid.viewport()->width());
}

}  // namespace
}  // namespace tallix::qt
