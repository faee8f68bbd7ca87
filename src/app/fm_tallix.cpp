#include "app/fm_tallix.h"

#include "app/discovery.h"
#include "app/start_up_report.h"
#include "app/structure_loading.h"
#include "core/checked.h"
#include "core/run_time_error.h"
#include "core/text.h"
#include "engine/pair_names.h"
#include "monitors/cls_monitors.h"
#include "ranking/grid_layout.h"
#include "ranking/key_commands.h"
#include "ranking/show_rankings.h"

namespace tallix {
namespace {

constexpr double kBarLeft = 7375, kBarWidth = 280, kBarHeight = 10935;

void PlaceBar(PictureBox& bar, Colour colour) {
  bar.SetLeft(kBarLeft);
  bar.SetTop(0);
  bar.SetWidth(kBarWidth);
  bar.SetHeight(kBarHeight);
  bar.SetBackColor(colour);
}

}  // namespace

FmTallix::FmTallix(FmTallixParts parts)
    : parts_(std::move(parts)),
      log_(s.LogEnabled, parts_.log_path, parts_.clock, parts_.date_format),
      refresh_{s,
               parts_.form,
               GridRank,
               PicRemain,
               Timer1,
               parts_.Inet1,
               log_,
               parts_.clock,
               parts_.paths.ToHost(kTemplatePath),
               parts_.paths.ToHost(kPagePath),
               {}} {
  PlaceBar(PicElapsed, RGB(192, 255, 255));
  PlaceBar(PicRemain, RGB(0, 0, 128));
  Timer1.SetEnabled(false);
  Timer1.SetInterval(65000);
  parts_.Inet1.SetReport([this](const std::string& line) { Note(line); });
}

FmTallix::~FmTallix() {
  parts_.Inet1.SetReport(nullptr);
}

void FmTallix::Note(const std::string& message) {
  std::function<void()> arrived;
  {
    std::lock_guard lock(notes_mutex_);
    notes_.push_back(message);
    arrived = NoteArrived;
  }
  if (arrived) arrived();
}

void FmTallix::DeliverNotes() {
  std::vector<std::string> notes;
  {
    std::lock_guard lock(notes_mutex_);
    notes.swap(notes_);
  }
  for (const std::string& note : notes) WriteLog(note);
}

void FmTallix::Form_Load(screens::Screens& screens) {
  s.CurrentMonitor = std::make_shared<clsMonitor>();
  s.MonitorList = std::make_shared<clsMonitors>(screens);
  // The display is the first monitor that is not the primary (whose corner
  // is the desktop's origin). That is position 2 of the scan when the second
  // monitor stands right of the primary; one left of or above it comes
  // first, and position 2 would be the scorer's own screen.
  bool found = false;
  for (const auto& monitor : *s.MonitorList->Monitors()) {
    s.CurrentMonitor = monitor;
    const bool primary = monitor->Left() == 0 && monitor->Top() == 0;
    if (!primary && !found) {
      found = true;
      s.SecondMonitorWidth = ToInteger(static_cast<double>(monitor->Width()));
      s.SecondMonitorHeight = ToInteger(static_cast<double>(monitor->Height()));
      s.SecondMonitorLeft = monitor->Left();
      s.SecondMonitorTop = monitor->Top();
    }
  }
}

void FmTallix::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  // Each failure keeps its number and description and says what to mend.
  RequireDriveC(parts_.paths);
  const char separator = parts_.date_format.DateSeparator();
  try {
    FindDatabase(s, parts_.command_line, parts_.files, parts_.CommonDialog1, parts_.clock,
                 separator);
  } catch (const RunTimeError& e) {
    throw StartUpError(e, LogAdvice(e, parts_.paths));
  }
  try {
    LoadSessionStructure(s, parts_.engine, parts_.clock);
  } catch (const RunTimeError& e) {
    throw StartUpError(
        e, DatabaseAdvice(s.BWSPath, InStr(parts_.command_line, "/?") != 0,
                          FormatDayMonthYear(parts_.clock.Now(), separator), parts_.paths));
  }
  if (Publishing()) {
    parts_.Inet1.URL = "FTP://" + parts_.ftp_host;
    parts_.Inet1.UserName = parts_.ftp_host + "|" + parts_.ftp_account;
    parts_.Inet1.Password = parts_.ftp_password;
  } else {
    WriteLog("Publishing is off: no FTP host given (--ftp-host); the page is only written");
  }
  GetBWSData();
}

void FmTallix::GridRank_InitColProps() {
  tallix::GridRank_InitColProps(s, parts_.form, GridRank, PicRemain, PicElapsed, log_);
}

void FmTallix::GridRank_KeyDown(int16_t KeyCode, int16_t Shift) {
  KeyContext keys{
      s, parts_.form, GridRank, PicRemain, parts_.CommonDialog1, parts_.clock, log_, [this] {
        PrintAppendix();
      }};
  const bool two_fields = s.TwoFields;
  tallix::GridRank_KeyDown(KeyCode, Shift, keys);
  if (s.TwoFields && !two_fields) RestoreNorthSouthPairNames(s);
}

void FmTallix::PrintAppendix() {
  if (parts_.workbook == nullptr) {
    throw RunTimeError(spreadsheet::kCannotCreateObject,
                       "ActiveX component can't create object: no spreadsheet application");
  }
  tallix::PrintAppendix(s, *parts_.workbook, parts_.paths.ToHost(kAppendixTemplatePath),
                        parts_.appendix_layout);
}

void FmTallix::Timer1_Timer() {
  Timer1.SetEnabled(false);
  GetBWSData();
}

void FmTallix::GetBWSData() {
  tallix::GetBWSData(refresh_);
  // Another session renamed over the open file: the movement read at
  // start-up no longer fits its results.
  if (!s.BWSDatabase) return;
  std::string change;
  try {
    change = StructureChange(s, *s.BWSDatabase);
  } catch (const RunTimeError&) {
  }
  if (!change.empty() && change != structure_change_) {
    WriteLog("The session in the database is not the one read at start-up (" + change +
             "): restart the display");
  }
  structure_change_ = change;
}

}  // namespace tallix
