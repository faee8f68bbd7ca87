#pragma once
// A temporary drive C: holding a session database made by the project's
// writer, the control software's log naming it today, and the parts the real
// window is built from. The clock stands still unless a test moves it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "core/clock.h"
#include "core/date_time.h"
#include "platform/jet/mdb_engine.h"
#include "platform/qt/run_window.h"
#include "platform/screens/qt_screens.h"
#include "platform/spreadsheet/memory_workbook.h"
#include "platform/transfer/transfer.h"
#include "qt_test_app.h"

namespace tallix::qt::testing_window {

namespace fs = std::filesystem;

class SessionWindowTest : public ::testing::Test {
 protected:
  SessionWindowTest()
      : drive_c(fs::temp_directory_path() / ("tallix_window_" + std::to_string(getpid()))),
        paths(drive_c.string()),
        host_files(paths),
        engine(mdb, paths),
        clock(TruncateToSecond(SystemClock().Now())),
        workbook({{AppendixTemplate(), {spreadsheet::Sheet{}, spreadsheet::Sheet{}}}}) {
    fs::remove_all(drive_c);
    fs::create_directories(drive_c / "Bridgemate");
    fs::copy_file(fs::path(TALLIX_SOURCE_DIR) / "share" / "SPOOLTEMPL.HTM",
                  drive_c / "Bridgemate" / "SPOOLTEMPL.HTM");
  }
  ~SessionWindowTest() override { fs::remove_all(drive_c); }

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
      return FmTallixParts{
          engine, host_files,         paths, form,     dialog,   transfer, clock, HostDateFormat{},
          "",     LogPath().string(), {},    "tallix", "qoradu", appendix};
    };
  }

  // The window on the session, shown and through its start-up.
  std::unique_ptr<TallixWindow> StartWindow() {
    WriteSession();
    auto window = std::make_unique<TallixWindow>(paths, Factory(), screens);
    window->ShowReport = [](const QString& report) { ADD_FAILURE() << report.toStdString(); };
    window->Show();
    EXPECT_TRUE(testing_app::ProcessUntil(
        [&] { return window->StartedUp() || !window->Failure().isEmpty(); }));
    EXPECT_TRUE(window->StartedUp()) << window->Failure().toStdString();
    return window;
  }

  fs::path LogPath() const { return drive_c / "TallixLog.txt"; }
  std::string AppendixTemplate() const { return paths.ToHost(kAppendixTemplatePath); }

  fs::path drive_c;
  files::PathMap paths;
  files::HostFileSystem host_files;
  jet::MdbEngine mdb;
  MappedEngine engine;
  ManualClock clock;
  MemoryTransfer transfer;
  spreadsheet::MemoryWorkbook workbook;
  spreadsheet::Spreadsheet* appendix = &workbook;  // what End prints with
  screens::QtScreens screens;
};

}  // namespace tallix::qt::testing_window
