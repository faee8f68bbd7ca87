#pragma once
// One QApplication for a whole test program, on the offscreen platform with
// two 96-dpi screens: A (1920 x 1080, primary) and B (1280 x 1024), side by
// side with A at 0, 0 unless TALLIX_TEST_SCREENS="ax,ay,bx,by" places them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace tallix::qt::testing_app {

class QtApp : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("tallix_qt_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    const auto config = folder_ / "screens.json";
    int ax = 0, ay = 0, bx = 1920, by = 0;
    if (const char* placed = std::getenv("TALLIX_TEST_SCREENS"))
      std::sscanf(placed, "%d,%d,%d,%d", &ax, &ay, &bx, &by);
    // The first screen listed is the primary.
    std::ofstream(config) << R"({"screens": [
      {"name": "A", "x": )"
                          << ax << R"(, "y": )" << ay << R"(, "width": 1920, "height": 1080,
       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
      {"name": "B", "x": )"
                          << bx << R"(, "y": )" << by << R"(, "width": 1280, "height": 1024,
       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
    static int argc = 1;
    static char name[] = "tallix_qt_test";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    std::filesystem::remove_all(folder_);
  }

 private:
  QApplication* app_ = nullptr;
  std::filesystem::path folder_;
};

inline ::testing::Environment* const kQtApp = ::testing::AddGlobalTestEnvironment(new QtApp);

// Runs the event loop until `done` holds or `ms` pass; says whether it held.
inline bool ProcessUntil(const std::function<bool()>& done, int ms = 5000) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Answers the next modal dialog of type D from the event loop.
template <typename D>
void WhenModal(std::function<void(D&)> answer) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [answer, poll] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
      answer(*d);
      *poll = nullptr;  // break the cycle
      return;
    }
    QTimer::singleShot(10, *poll);
  };
  QTimer::singleShot(0, *poll);
}

}  // namespace tallix::qt::testing_app
