// The operator's keys through the real window: key events sent to the grid
// view, the input box answered as a person would, and what the grid and the
// clock bar then draw.
#include <gtest/gtest.h>

#include <QImage>
#include <QInputDialog>
#include <QTest>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/qt/bar_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/qt_form.h"
#include "window_fixture.h"

namespace tallix::qt {
namespace {

using testing_app::ProcessUntil;

// What the input box showed, if one opened.
struct Asked {
  bool shown = false;
  QString prompt, title, default_text;
};

class WindowKeysTest : public testing_window::SessionWindowTest {
 protected:
  void SetUp() override {
    window = StartWindow();
    ASSERT_TRUE(window && window->StartedUp());
  }

  FmTallix& Fm() { return window->Window(); }
  GridView& Grid() { return window->Grid(); }
  QtForm& Form() { return window->Form(); }

  // Presses `key` on the grid; an input box it opens gets `answer` typed and
  // OK, or Cancel when there is none.
  Asked Press(Qt::Key key, Qt::KeyboardModifiers modifiers,
              std::optional<QString> answer = std::nullopt) {
    auto asked = std::make_shared<Asked>();
    auto armed = std::make_shared<bool>(true);
    // Only the pending timer holds the poll; the poll knows itself weakly, so
    // nothing is left when it stops rearming.
    auto poll = std::make_shared<std::function<void()>>();
    const std::weak_ptr<std::function<void()>> self = poll;
    *poll = [asked, armed, answer, self] {
      if (!*armed) return;
      if (auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
        asked->shown = true;
        asked->prompt = d->labelText();
        asked->title = d->windowTitle();
        asked->default_text = d->textValue();
        d->setTextValue(answer.value_or("30"));  // typed, then cancelled
        answer ? d->accept() : d->reject();
      }
      if (auto again = self.lock()) QTimer::singleShot(10, [again] { (*again)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
    QTest::keyClick(&Grid(), key, modifiers);
    *armed = false;
    return *asked;
  }

  // One tick of the window's own timer, and the pass it runs.
  void Tick() {
    const std::size_t passes = transfer.commands.size();
    Fm().Timer1.SetInterval(1);
    ASSERT_TRUE(ProcessUntil([&] { return transfer.commands.size() > passes; }));
    Fm().Timer1.SetInterval(600000);  // no further tick during the test
  }

  // The remaining-time bar as drawn: the one in front at the foot of the filler column.
  const BarView* RemainBar() {
    const QPoint foot(Grid().x() + Grid().columnViewportPosition(4) + Grid().columnWidth(4) / 2,
                      Form().height() - 2);
    return dynamic_cast<const BarView*>(Form().childAt(foot));
  }

  // The ranking as shown, a line a row: positions, pairs and percentages.
  // (Names are left out: they are kept by pair number, and a one-field pass
  // files East-West names under the North-South pair of the same number.)
  std::vector<std::string> Ranking() {
    std::vector<std::string> rows;
    for (int r = 0; r < Grid().rowCount(); ++r) {
      QStringList cells;
      for (int k : {0, 1, 3, 5, 6, 8}) cells << Grid().item(r, k)->text();
      rows.push_back(cells.join(" | ").toStdString());
    }
    return rows;
  }

  std::string LogText() {
    std::ifstream in(LogPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::unique_ptr<TallixWindow> window;
};

// The names cell of a grid row as painted: its background (right of the
// text) and whether any pixel has exactly the colour `text`.
struct DrawnCell {
  QColor back;
  bool has_text_colour = false;
};

DrawnCell Drawn(GridView& grid, int row, QColor text) {
  const QImage image = grid.viewport()->grab().toImage();
  const QRect cell = grid.visualItemRect(grid.item(row, 2)).adjusted(2, 2, -2, -2);
  DrawnCell d{image.pixelColor(cell.right() - 2, cell.center().y())};
  for (int y = cell.top(); y <= cell.bottom() && !d.has_text_colour; ++y)
    for (int x = cell.left(); x <= cell.right() && !d.has_text_colour; ++x)
      d.has_text_colour = image.pixelColor(x, y) == text;
  return d;
}

TEST_F(WindowKeysTest, AltF7ColoursTheEvenRowsAsDrawn) {
  const QColor white(255, 255, 255), base = Grid().palette().color(QPalette::Base);
  struct Case {
    const char* answer;
    QColor text, back;
  };
  // In order: each answer starts from what the one before left.
  const Case cases[] = {
      {"Cyan", QColor(0, 128, 128), white},
      {"WonG", white, QColor(0, 128, 0)},
      {"Black", QColor(0, 0, 0), white},  // the background back to white too
      {"Hex&HFF0000", QColor(0, 0, 255), white},
      {"black", QColor(0, 0, 255), white},  // matches nothing: the text colour stays
      {"Hex255", QColor(255, 0, 0), white},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const Asked asked = Press(Qt::Key_F7, Qt::AltModifier, QString(c.answer));
    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(asked.prompt, "Foreground colour for even rows: ");
    EXPECT_EQ(asked.title, "Set Foreground Colour For Even Rows");
    EXPECT_EQ(asked.default_text, "");
    for (int row : {1, 3}) {  // the second and fourth rows on screen
      const DrawnCell even = Drawn(Grid(), row, c.text);
      EXPECT_EQ(even.back, c.back) << "row " << row;
      EXPECT_TRUE(even.has_text_colour) << "row " << row;
    }
    EXPECT_EQ(Drawn(Grid(), 0, c.text).back, base);
  }
}

TEST_F(WindowKeysTest, AltF12SetsTheRoundLengthAndTheBarFollows) {
  struct Case {
    const char* answer;
    int seconds;
    bool new_round;
  };
  // In order, a minute apart, each followed by a tick of the timer.
  const Case cases[] = {{"5", 300, true},    {"4", 300, false},  {"60", 3600, true},
                        {"61", 3600, false}, {"9999", 0, false}, {"15", 900, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    clock.Advance(60);
    const DateTime start_before = Fm().s.RoundStart;
    const Asked asked = Press(Qt::Key_F12, Qt::AltModifier, QString(c.answer));
    ASSERT_TRUE(asked.shown);
    EXPECT_EQ(asked.prompt, "Minutes per round: ");
    EXPECT_EQ(asked.title, "Round Details");
    EXPECT_EQ(asked.default_text, "15");
    EXPECT_EQ(Fm().s.RoundSeconds, c.seconds);
    EXPECT_EQ(Fm().s.RoundStart, c.new_round ? clock.Now() : start_before);
    Tick();

    const BarView* bar = RemainBar();
    ASSERT_NE(bar, nullptr);
    const QImage shot = Form().grab().toImage();
    EXPECT_EQ(bar->geometry().bottom(), Grid().geometry().bottom());
    if (c.seconds == 0) {
      // The clock is off: a full bar in its own colour, which the tick left alone.
      EXPECT_EQ(bar->geometry().top(), 0);
      EXPECT_EQ(shot.pixelColor(bar->geometry().center()), QColor(1, 0, 128));
    } else {
      const long long left = c.seconds - WholeSecondsBetween(Fm().s.RoundStart, clock.Now());
      EXPECT_EQ(left, c.new_round ? c.seconds : c.seconds - 60);
      EXPECT_NEAR(bar->height(), 1.0 * Grid().height() * left / c.seconds, 1.0);
      EXPECT_EQ(shot.pixelColor(bar->geometry().center()), QColor(0, 0, 128));
    }
  }
}

TEST_F(WindowKeysTest, AltF11SynchronisesTheRoundClock) {
  ASSERT_TRUE(Press(Qt::Key_F12, Qt::AltModifier, QString("15")).shown);
  clock.Advance(100);
  const Asked asked = Press(Qt::Key_F11, Qt::AltModifier, QString("7.5"));
  ASSERT_TRUE(asked.shown);
  EXPECT_EQ(asked.prompt, "Minutes remaining: ");
  EXPECT_EQ(asked.title, "Synchronising with clock");
  EXPECT_EQ(asked.default_text, "15");  // the round length last typed
  EXPECT_EQ(WholeSecondsBetween(Fm().s.RoundStart, clock.Now()), 450);
  EXPECT_EQ(Fm().s.SecondsRemaining, 450);

  Tick();  // half the round left: the bar stands half the grid's height
  const BarView* bar = RemainBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_NEAR(bar->height(), Grid().height() / 2.0, 1.0);
  EXPECT_EQ(bar->geometry().bottom(), Grid().geometry().bottom());
}

TEST_F(WindowKeysTest, AltF2TwiceRestoresTheRankingModeAndTheGridFollowsEachTick) {
  const std::vector<std::string> two_fields = Ranking();
  auto names = [&] {
    std::vector<QString> n;
    for (int r = 0; r < Grid().rowCount(); ++r) {
      n.push_back(Grid().item(r, 2)->text());
      n.push_back(Grid().item(r, 7)->text());
    }
    return n;
  };
  const std::vector<QString> names_before = names();
  ASSERT_TRUE(Fm().s.TwoFields);
  ASSERT_EQ(Grid().rowCount(), 7);
  ASSERT_EQ(Grid().item(0, 5)->text(), "1");

  EXPECT_FALSE(Press(Qt::Key_F2, Qt::AltModifier).shown);
  EXPECT_FALSE(Fm().s.TwoFields);
  EXPECT_EQ(Ranking(), two_fields);  // nothing redrawn before the next pass
  Tick();
  // One field of fourteen pairs: the right half ranks them 8 to 14.
  ASSERT_EQ(Grid().rowCount(), 7);
  EXPECT_EQ(Grid().item(0, 0)->text(), "1");
  EXPECT_EQ(Grid().item(0, 5)->text(), "8");
  EXPECT_EQ(Grid().item(6, 5)->text(), "14");

  EXPECT_FALSE(Press(Qt::Key_F2, Qt::AltModifier).shown);
  EXPECT_TRUE(Fm().s.TwoFields);
  Tick();
  EXPECT_EQ(Ranking(), two_fields);
  // The east-west names the one-field passes filed by number are not left
  // on the north-south pairs of the same numbers.
  EXPECT_EQ(names(), names_before);
}

TEST_F(WindowKeysTest, EndAndAltF1PrintTheAppendixAndTheWindowCarriesOn) {
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int appendix;
  };
  const Case cases[] = {
      {Qt::Key_End, Qt::NoModifier, 1},
      {Qt::Key_End, Qt::AltModifier, 1},
      {Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier, 1},
      {Qt::Key_F1, Qt::AltModifier, 1},
      {Qt::Key_F1, Qt::NoModifier, 0},
      {Qt::Key_F1, Qt::AltModifier | Qt::ShiftModifier, 0},
      {Qt::Key_F12, Qt::AltModifier | Qt::ControlModifier, 0},  // and no input box
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " modifiers " << c.modifiers.toInt());
    const std::size_t before = workbook.Printed().size();
    EXPECT_FALSE(Press(c.key, c.modifiers).shown);
    EXPECT_EQ(workbook.Printed().size() - before, 2u * c.appendix);
    EXPECT_FALSE(workbook.Running());
  }
  // The ranking as the window shows it, on worksheet 1.
  const spreadsheet::Sheet& ranking = workbook.Printed().front().cells;
  EXPECT_EQ(std::get<int32_t>(ranking.at({7, 2}).value),
            std::stoi(Grid().item(0, 1)->text().toStdString()));

  // Without the template the press only leaves a line in the log.
  workbook = spreadsheet::MemoryWorkbook();
  Press(Qt::Key_End, Qt::NoModifier);
  EXPECT_NE(LogText().find("Appendix failed: error 53: File not found: " + AppendixTemplate()),
            std::string::npos);

  EXPECT_TRUE(Form().isVisible());
  EXPECT_TRUE(Fm().Timer1.Enabled());
  Tick();
  EXPECT_EQ(Grid().rowCount(), 7);
  EXPECT_EQ(Grid().item(0, 0)->text(), "1");
}

TEST_F(WindowKeysTest, CancelChangesNothingOnScreen) {
  ASSERT_TRUE(Press(Qt::Key_F12, Qt::AltModifier, QString("15")).shown);
  ASSERT_TRUE(Press(Qt::Key_F11, Qt::AltModifier, QString("7.5")).shown);
  ASSERT_TRUE(Press(Qt::Key_F7, Qt::AltModifier, QString("Hex255")).shown);
  Tick();
  const QImage before = Form().grab().toImage();
  const int16_t seconds = Fm().s.RoundSeconds, remaining = Fm().s.SecondsRemaining;
  const DateTime start = Fm().s.RoundStart;

  for (Qt::Key key : {Qt::Key_F7, Qt::Key_F11, Qt::Key_F12}) {
    SCOPED_TRACE(testing::Message() << "key " << key);
    EXPECT_TRUE(Press(key, Qt::AltModifier).shown);
  }
  EXPECT_EQ(Fm().s.RoundSeconds, seconds);
  EXPECT_EQ(Fm().s.RoundStart, start);
  EXPECT_EQ(Fm().s.SecondsRemaining, remaining);
  EXPECT_EQ(Fm().GridRank.ForeColorEven(), RGB(255, 0, 0));
  Tick();
  EXPECT_TRUE(Form().grab().toImage() == before);
}

}  // namespace
}  // namespace tallix::qt
