// tallix_snapshot: starts the real window on a session under a drive C:,
// with two offscreen monitors side by side (1920 x 1080 primary, a second
// one to its right; or the primary alone with --second none), lets
// start-up and the first pass run, and saves what the window draws as a PNG.
//   tallix_snapshot --drive-c DIR [--second WxH|none] OUT.png
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QScreen>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "core/clock.h"
#include "platform/files/files.h"
#include "platform/jet/mdb_engine.h"
#include "platform/qt/qt_form.h"
#include "platform/qt/run_window.h"
#include "platform/screens/qt_screens.h"
#include "platform/transfer/transfer.h"

namespace {

const char kUsage[] = "usage: tallix_snapshot --drive-c DIR [--second WxH|none] OUT.png\n";

// The offscreen platform's monitors (Xvfb would show Qt only one); no
// second one when its width is 0.
std::filesystem::path WriteScreens(int second_width, int second_height) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("tallix_snapshot_screens_" + std::to_string(getpid()) + ".json");
  std::ofstream out(path);
  out << R"({"screens": [
    {"name": "Primary", "x": 0, "y": 0, "width": 1920, "height": 1080,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1})";
  if (second_width > 0) {
    out << R"(,
    {"name": "Second", "x": 1920, "y": 0, "width": )"
        << second_width << R"(, "height": )" << second_height << R"(,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1})";
  }
  out << "]}";
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::string drive_c, out;
  int second_width = 1920, second_height = 1080;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--drive-c" && i + 1 < argc) {
      drive_c = argv[++i];
    } else if (a == "--second" && i + 1 < argc && std::string(argv[i + 1]) == "none") {
      ++i;
      second_width = second_height = 0;
    } else if (a == "--second" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &second_width, &second_height) != 2 ||
          second_width <= 0 || second_height <= 0) {
        std::cerr << kUsage;
        return 2;
      }
    } else if (out.empty() && !a.empty() && a[0] != '-') {
      out = a;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (drive_c.empty() || out.empty()) {
    std::cerr << kUsage;
    return 2;
  }

  const auto screens_json = WriteScreens(second_width, second_height);
  setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens_json.string()).c_str(), 1);
  QApplication app(argc, argv);
  std::filesystem::remove(screens_json);  // read when the application started

  using namespace tallix;
  files::PathMap paths(drive_c);
  files::HostFileSystem host_files(paths);
  jet::MdbEngine mdb;
  MappedEngine engine(mdb, paths);
  SystemClock clock;
  MemoryTransfer transfer;  // nothing is uploaded from a snapshot
  screens::QtScreens screens;
  const std::string log_path = (std::filesystem::path(drive_c) / "TallixLog.txt").string();
  qt::TallixWindow window(
      paths,
      [&](FormControl& form, CommonDialog& dialog) {
        return FmTallixParts{engine, host_files, paths, form,
                             dialog, transfer,   clock, HostDateFormat::FromLocale(),
                             "",     log_path};
      },
      screens);
  window.ShowReport = nullptr;  // the failure goes to standard error alone
  window.Show();
  QDeadlineTimer deadline(30000);
  while (!window.StartedUp() && window.Failure().isEmpty() && !deadline.hasExpired())
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  if (!window.StartedUp()) {
    std::cerr << "tallix_snapshot: the window did not start"
              << (window.Failure().isEmpty() ? std::string(" in time")
                                             : ": " + window.Failure().toStdString())
              << std::endl;
    return 1;
  }
  QApplication::processEvents();  // the last layout and paint requests

  qt::QtForm& form = window.Form();
  const QImage picture = form.grab().toImage();
  if (!picture.save(QString::fromStdString(out), "PNG")) {
    std::cerr << "tallix_snapshot: cannot write " << out << std::endl;
    return 1;
  }
  const QRect g = form.frameGeometry();
  std::cout << "tallix_snapshot: " << out << ": " << picture.width() << " x " << picture.height()
            << ", window at " << g.x() << "," << g.y() << " on screen "
            << (form.screen() ? form.screen()->name().toStdString() : std::string("?"))
            << ", caption \"" << form.windowTitle().toStdString() << "\"" << std::endl;
  return 0;
}
