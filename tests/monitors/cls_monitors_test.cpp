// The monitor scan on in-memory screens: order, keys, the fallback monitor
// and the failures that must not break the list.
#include "monitors/cls_monitors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/run_time_error.h"
#include "platform/screens/fake_screens.h"

namespace tallix {
namespace {

using screens::FakeMonitor;
using screens::FakeScreens;
using screens::Rect;

struct Expected {
  std::string key;
  Rect bounds;
};

FakeMonitor Mon(screens::MonitorHandle handle, Rect bounds, bool primary = false, Rect work = {}) {
  FakeMonitor m;
  m.handle = handle;
  m.monitor = bounds;
  m.work = work;
  m.primary = primary;
  return m;
}

FakeMonitor Failing(screens::MonitorHandle handle, Rect bounds) {
  FakeMonitor m = Mon(handle, bounds);
  m.info_fails = true;
  return m;
}

void ExpectList(clsMonitors& list, const std::vector<Expected>& expected) {
  const auto& monitors = *list.Monitors();
  ASSERT_EQ(monitors.Count(), static_cast<int>(expected.size()));
  for (int i = 1; i <= monitors.Count(); ++i) {
    SCOPED_TRACE("position " + std::to_string(i));
    const Expected& e = expected[static_cast<std::size_t>(i - 1)];
    const clsMonitor& m = *monitors.Item(i);
    EXPECT_EQ(monitors.Key(i), e.key);
    EXPECT_EQ(std::to_string(m.Handle()), e.key);
    EXPECT_EQ(m.Left(), e.bounds.left);
    EXPECT_EQ(m.Top(), e.bounds.top);
    EXPECT_EQ(m.Right(), e.bounds.right);
    EXPECT_EQ(m.Bottom(), e.bounds.bottom);
    EXPECT_EQ(m.Width(), e.bounds.right - e.bounds.left);
    EXPECT_EQ(m.Height(), e.bounds.bottom - e.bounds.top);
  }
}

TEST(MonitorScan, NoMultiMonitorSupportGivesTheFallbackMonitor) {
  FakeScreens screens({Mon(65537, {0, 0, 1280, 1024}, true)});
  screens.SetMetric(screens::SM_CMONITORS, 0);
  // What the virtual-desktop metrics say must not matter then.
  screens.SetMetric(screens::SM_XVIRTUALSCREEN, -500);
  screens.SetMetric(screens::SM_CXVIRTUALSCREEN, 9999);
  clsMonitors list(screens);

  ExpectList(list, {{"0", {0, 0, 1280, 1024}}});
  const clsMonitor& m = *list.Monitors()->Item("0");
  EXPECT_EQ(m.WorkLeft(), 0);
  EXPECT_EQ(m.WorkTop(), 0);
  EXPECT_EQ(m.WorkRight(), 1280);
  EXPECT_EQ(m.WorkBottom(), 1024);
  EXPECT_EQ(list.DesktopLeft(), 0);
  EXPECT_EQ(list.DesktopTop(), 0);
  EXPECT_EQ(list.DesktopWidth(), 1280);
  EXPECT_EQ(list.DesktopHeight(), 1024);
  EXPECT_TRUE(screens.Probes().empty());
}

struct LayoutCase {
  const char* name;
  std::vector<FakeMonitor> monitors;
  std::vector<Expected> expected;
};

class MonitorOrder : public testing::TestWithParam<LayoutCase> {};

TEST_P(MonitorOrder, FollowsTheFirstProbeHit) {
  FakeScreens screens(GetParam().monitors);
  clsMonitors list(screens);
  ExpectList(list, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MonitorOrder,
    testing::Values(
        LayoutCase{"SecondRightOfPrimary",
                   {Mon(65537, {0, 0, 1920, 1080}, true), Mon(65539, {1920, 0, 3840, 1080})},
                   {{"65537", {0, 0, 1920, 1080}}, {"65539", {1920, 0, 3840, 1080}}}},
        LayoutCase{"SecondLeftOfPrimary",
                   {Mon(65537, {0, 0, 1920, 1080}, true), Mon(65539, {-1920, 0, 0, 1080})},
                   {{"65539", {-1920, 0, 0, 1080}}, {"65537", {0, 0, 1920, 1080}}}},
        LayoutCase{"SecondAbovePrimary",
                   {Mon(11, {0, 0, 1920, 1080}, true), Mon(22, {0, -1200, 1600, 0})},
                   {{"22", {0, -1200, 1600, 0}}, {"11", {0, 0, 1920, 1080}}}},
        // The lower monitor reaches further left but the upper one is hit in an earlier row.
        LayoutCase{
            "UpperRowBeforeLeftColumn",
            {Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {-1280, 600, 0, 1624}),
             Mon(3, {1920, 0, 2560, 480})},
            {{"1", {0, 0, 1920, 1080}}, {"3", {1920, 0, 2560, 480}}, {"2", {-1280, 600, 0, 1624}}}},
        // Exactly one cell in size and off the probe grid's phase: still hit once.
        LayoutCase{"SmallestListedMonitor",
                   {Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {1930, 100, 2570, 580})},
                   {{"1", {0, 0, 1920, 1080}}, {"2", {1930, 100, 2570, 580}}}},
        // Narrower than a cell and placed between probe columns: no probe lands on it.
        LayoutCase{"MonitorBetweenProbesIsMissed",
                   {Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {1920, 0, 2240, 240})},
                   {{"1", {0, 0, 1920, 1080}}}},
        LayoutCase{"NegativeHandleKey",
                   {Mon(-65537, {0, 0, 1024, 768}, true)},
                   {{"-65537", {0, 0, 1024, 768}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MonitorScan, ProbesCellCentresUpToTheDesktopSizeAsCoordinates) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {1920, 0, 3840, 1080})});
  clsMonitors list(screens);

  std::vector<Rect> expected;
  for (int y = 0; y <= 1080; y += 480)
    for (int x = 0; x <= 3840; x += 640) expected.push_back({x + 320, y + 240, x + 321, y + 241});
  EXPECT_EQ(screens.Probes(), expected);
  EXPECT_EQ(screens.Probes().size(), 21u);
}

TEST(MonitorScan, NegativeDesktopOriginShiftsTheGrid) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {-1920, -300, 0, 780})});
  clsMonitors list(screens);
  EXPECT_EQ(list.DesktopLeft(), -1920);
  EXPECT_EQ(list.DesktopTop(), -300);
  EXPECT_EQ(list.DesktopWidth(), 3840);
  EXPECT_EQ(list.DesktopHeight(), 1380);

  const auto& probes = screens.Probes();
  ASSERT_FALSE(probes.empty());
  EXPECT_EQ(probes.front(), (Rect{-1600, -60, -1599, -59}));
  // Rows run from -300 to 1380 and columns from -1920 to 3840, both inclusive.
  EXPECT_EQ(probes.size(), 4u * 10u);
  EXPECT_EQ(probes.back(), (Rect{4160, 1380, 4161, 1381}));
}

TEST(MonitorScan, FailedInformationQueryStillListsTheHandle) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true), Failing(2, {1920, 0, 3840, 1080})});
  clsMonitors list(screens);
  ExpectList(list, {{"1", {0, 0, 1920, 1080}}, {"2", {0, 0, 0, 0}}});
  EXPECT_EQ(list.Monitors()->Item(2)->WorkRight(), 0);
}

TEST(MonitorScan, WorkAreaComesFromTheWorkRectangle) {
  FakeScreens screens({Mon(7, {0, 0, 1920, 1080}, true, {0, 0, 1920, 1040}),
                       Mon(8, {1920, 0, 3200, 1024}, false, {1984, 0, 3200, 1024})});
  clsMonitors list(screens);
  const auto& second = *list.Monitors()->Item(2);
  EXPECT_EQ(second.WorkLeft(), 1984);
  EXPECT_EQ(second.WorkTop(), 0);
  EXPECT_EQ(second.WorkRight(), 3200);
  EXPECT_EQ(second.WorkBottom(), 1024);
  EXPECT_EQ(list.Monitors()->Item(1)->WorkBottom(), 1040);
  EXPECT_EQ(second.Width(), 1280);
  EXPECT_EQ(second.Height(), 1024);
}

// Without the information function nothing is filled in, not even the handle.
TEST(MonitorScan, MissingInformationFunctionListsEmptyRecords) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {1920, 0, 3840, 1080})});
  screens.LackGetMonitorInfo();
  clsMonitors list(screens);
  const auto& monitors = *list.Monitors();
  ASSERT_EQ(monitors.Count(), 2);
  EXPECT_EQ(monitors.Key(1), "1");
  EXPECT_EQ(monitors.Key(2), "2");
  for (const auto& m : monitors) {
    EXPECT_EQ(m->Handle(), 0);
    EXPECT_EQ(m->Right(), 0);
    EXPECT_EQ(m->Width(), 0);
  }
}

// A failed probe answers -1, which names no monitor: nothing is listed for it.
TEST(MonitorScan, FailedProbesListNothing) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true)});
  screens.LackMonitorFromRect();
  clsMonitors list(screens);
  EXPECT_EQ(list.Monitors()->Count(), 0);
  EXPECT_FALSE(list.Monitors()->Contains("-1"));
}

TEST(MonitorScan, DesktopBoundsAreReadAfreshAndRowBoundsPerRow) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true)});
  clsMonitors list(screens);
  // Three rows: top and height once, left and width at each row.
  EXPECT_EQ(screens.MetricCalls(screens::SM_YVIRTUALSCREEN), 1);
  EXPECT_EQ(screens.MetricCalls(screens::SM_CYVIRTUALSCREEN), 1);
  EXPECT_EQ(screens.MetricCalls(screens::SM_XVIRTUALSCREEN), 3);
  EXPECT_EQ(screens.MetricCalls(screens::SM_CXVIRTUALSCREEN), 3);

  screens.SetMetric(screens::SM_XVIRTUALSCREEN, -42);
  EXPECT_EQ(list.DesktopLeft(), -42);
  screens.SetMetric(screens::SM_CMONITORS, 0);
  EXPECT_EQ(list.DesktopLeft(), 0);
  EXPECT_EQ(list.DesktopWidth(), 1920);
}

TEST(MonitorScan, RefreshReplacesTheCollection) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {1920, 0, 3840, 1080})});
  clsMonitors list(screens);
  auto before = list.Monitors();
  list.Refresh();
  EXPECT_NE(list.Monitors(), before);
  EXPECT_EQ(before->Count(), 2);
  ExpectList(list, {{"1", {0, 0, 1920, 1080}}, {"2", {1920, 0, 3840, 1080}}});
}

TEST(GetMonitorFromXYPoint, AsksForOnePixelWithTheGivenFlags) {
  FakeScreens screens({Mon(1, {0, 0, 1920, 1080}, true), Mon(2, {1920, 0, 3840, 1080})});
  clsMonitors list(screens);
  EXPECT_EQ(list.GetMonitorFromXYPoint(1919, 1079, screens::MONITOR_DEFAULTTONULL), 1);
  EXPECT_EQ(list.GetMonitorFromXYPoint(1920, 0, screens::MONITOR_DEFAULTTONULL), 2);
  EXPECT_EQ(list.GetMonitorFromXYPoint(3840, 0, screens::MONITOR_DEFAULTTONULL), 0);
  EXPECT_EQ(list.GetMonitorFromXYPoint(3840, 0, screens::MONITOR_DEFAULTTOPRIMARY), 1);
  EXPECT_EQ(list.GetMonitorFromXYPoint(5000, -10, screens::MONITOR_DEFAULTTONEAREST), 2);
  EXPECT_EQ(screens.Probes().back(), (Rect{5000, -10, 5001, -9}));
  // The pixel's far edge would not be a coordinate.
  EXPECT_EQ(list.GetMonitorFromXYPoint(INT32_MAX, 0, 0), -1);

  screens.LackMonitorFromRect();
  EXPECT_EQ(list.GetMonitorFromXYPoint(10, 10, 0), -1);
}

TEST(KeyedCollection, DuplicateKeyFailsAndLeavesItUnchanged) {
  MonitorCollection c;
  auto a = std::make_shared<clsMonitor>();
  auto b = std::make_shared<clsMonitor>();
  c.Add(a, "65537");
  c.Add(b, "65539");
  try {
    c.Add(std::make_shared<clsMonitor>(), "65537");
    FAIL() << "duplicate key added";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, 457);
    EXPECT_EQ(e.Description, "This key is already associated with an element of this collection");
  }
  ASSERT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Item(1), a);
  EXPECT_EQ(c.Item("65539"), b);

  std::vector<std::shared_ptr<clsMonitor>> walked(c.begin(), c.end());
  EXPECT_EQ(walked, (std::vector<std::shared_ptr<clsMonitor>>{a, b}));

  for (int bad : {0, 3}) {
    try {
      c.Item(bad);
      FAIL() << "position " << bad;
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.Number, err::kSubscript);
    }
  }
  EXPECT_THROW(c.Item("1"), RunTimeError);
  c.Remove(1);
  EXPECT_EQ(c.Item(1), b);
  c.Add(a, "65537");  // the key is free again
  EXPECT_EQ(c.Item(2), a);
}

}  // namespace
}  // namespace tallix
