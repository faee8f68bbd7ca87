#pragma once
// The display window without a toolkit: it owns the session state, the open
// database and its controls, and handles the window's events.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/activity_log.h"
#include "appendix/print_appendix.h"
#include "core/clock.h"
#include "core/date_time.h"
#include "engine/refresh_pass.h"
#include "platform/files/files.h"
#include "platform/grid/grid.h"
#include "platform/jet/database.h"
#include "platform/screens/screens.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "platform/transfer/transfer.h"
#include "platform/window/controls.h"
#include "session/session_state.h"

namespace tallix {

// What the window is given by the program (main.cpp) or by a test.
struct FmTallixParts {
  jet::Engine& engine;
  files::FileSystem& files;
  files::PathMap paths;
  FormControl& form;
  CommonDialog& CommonDialog1;
  Transfer& Inet1;
  const Clock& clock;
  HostDateFormat date_format;
  std::string command_line;   // the argument text the program was started with
  std::string log_path;       // TallixLog.txt in the program's folder
  std::string ftp_host = {};  // "" switches publishing off
  std::string ftp_account = "tallix";
  std::string ftp_password = "qoradu";
  spreadsheet::Spreadsheet* workbook = nullptr;  // none: the appendix cannot be printed
  AppendixLayout appendix_layout = AppendixLayout::kStandard;
};

class FmTallix {
 public:
  explicit FmTallix(FmTallixParts parts);
  ~FmTallix();
  FmTallix(const FmTallix&) = delete;
  FmTallix& operator=(const FmTallix&) = delete;

  // Window load: enumerate the monitors and keep the size of the second one
  // in the list (0 x 0 when there is only one).
  void Form_Load(screens::Screens& screens);
  // First activation: find the database, load the structure, set the
  // transfer control, run the first pass. A failure propagates: start-up
  // stops with a report.
  void Form_Activate();
  // The grid's column initialisation: move to the second display and fit.
  void GridRank_InitColProps();
  // A key on the grid: Windows virtual-key code and shift mask (1 Shift,
  // 2 Ctrl, 4 Alt).
  void GridRank_KeyDown(int16_t KeyCode, int16_t Shift);
  // Fills and prints the appendix workbook; a failure is passed on.
  void PrintAppendix();
  // Each tick: disable the timer, run a pass (which re-enables it).
  void Timer1_Timer();
  void GetBWSData();
  void WriteLog(const std::string& message) { log_.WriteLog(message); }

  // A log line from another thread (the upload's outcome): kept until
  // DeliverNotes writes it on the window's thread. NoteArrived, when set,
  // is called on the noting thread to have DeliverNotes run soon.
  void Note(const std::string& message);
  void DeliverNotes();
  std::function<void()> NoteArrived;

  // How the last pass ended for the page: written this pass, or why not.
  bool PageWritten() const { return refresh_.page_written; }
  const std::string& PageFailure() const { return refresh_.page_failure; }
  bool Publishing() const { return !parts_.ftp_host.empty(); }

  SessionState s;
  Grid GridRank;
  PictureBox PicRemain;
  PictureBox PicElapsed;
  Timer Timer1;

  FormControl& Form() { return parts_.form; }
  CommonDialog& CommonDialog1() { return parts_.CommonDialog1; }
  Transfer& Inet1() { return parts_.Inet1; }
  const files::PathMap& Paths() const { return parts_.paths; }
  LogWriter& Log() { return log_; }

 private:
  FmTallixParts parts_;
  ActivityLog log_;
  RefreshContext refresh_;
  bool activated_ = false;
  std::string structure_change_;  // the last one logged, so it is logged once
  std::mutex notes_mutex_;
  std::vector<std::string> notes_;
};

}  // namespace tallix
