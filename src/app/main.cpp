// Tallix: the live results display. Without options it opens the window on
// the second monitor; --once runs the start-up and one refresh pass with no
// display at all, writes the page and the activity log, and exits (with
// --print-appendix it prints the appendix before it exits).
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/fm_tallix.h"
#include "app/log_location.h"
#include "app/mapped_engine.h"
#include "app/start_up_report.h"
#include "app/terminal_dialog.h"
#include "core/clock.h"
#include "core/run_time_error.h"
#include "platform/files/files.h"
#include "platform/jet/mdb_engine.h"
#include "platform/qt/run_window.h"
#include "platform/spreadsheet/office_spreadsheet.h"
#include "platform/transfer/transfer.h"
#include "ranking/show_rankings.h"

namespace {

struct Options {
  bool once = false;
  bool help = false;
  bool version = false;
  bool print_appendix = false;
  std::string appendix_layout = "standard";
  std::string drive_c;
  std::string ftp_host = "localhost";
  std::string ftp_account = "tallix";
  std::string log;
  std::string command_line;  // everything that is not one of our options
};

// Every option the program knows, in the order the usage text lists them.
// An option with a value names it in `value`; `help` may run over lines.
struct OptionSpec {
  const char* name;
  const char* value;  // nullptr for a switch
  const char* help;
  void (*set)(Options& o, const std::string& value);
};

const OptionSpec kOptions[] = {
    {"--once", nullptr,
     "start up, run one refresh pass without a display, write the page and\n"
     "the activity log, and exit",
     [](Options& o, const std::string&) { o.once = true; }},
    {"--print-appendix", nullptr,
     "with --once: then print the appendix; exit 0 only when both sheets\n"
     "were printed",
     [](Options& o, const std::string&) { o.print_appendix = true; }},
    {"--appendix-layout", "LAYOUT",
     "the appendix template's layout: standard (default) or two-field",
     [](Options& o, const std::string& v) { o.appendix_layout = v; }},
    {"--drive-c", "DIR", "the folder that stands for drive C: (default ~/.wine/drive_c)",
     [](Options& o, const std::string& v) { o.drive_c = v; }},
    {"--ftp-host", "HOST", "the publishing host (default localhost)",
     [](Options& o, const std::string& v) { o.ftp_host = v; }},
    {"--ftp-account", "NAME", "the account on the publishing host (default tallix)",
     [](Options& o, const std::string& v) { o.ftp_account = v; }},
    {"--log", "FILE",
     "the activity log (default TallixLog.txt beside the program, or\n"
     "~/.local/state/tallix/TallixLog.txt when that folder cannot be written)",
     [](Options& o, const std::string& v) { o.log = v; }},
    {"--version", nullptr, "print the version and exit",
     [](Options& o, const std::string&) { o.version = true; }},
    {"--help", nullptr, "print this text and exit (also -h)",
     [](Options& o, const std::string&) { o.help = true; }},
};

std::string Usage() {
  std::string text = "usage: tallix [OPTION]... [/?]\n";
  constexpr std::size_t kColumn = 22;
  for (const OptionSpec& spec : kOptions) {
    std::string head =
        std::string("  ") + spec.name + (spec.value ? std::string(" ") + spec.value : "");
    head.resize(std::max(head.size() + 1, kColumn), ' ');
    std::string help = spec.help;
    for (std::size_t nl = help.find('\n'); nl != std::string::npos; nl = help.find('\n', nl + 1))
      help.insert(nl + 1, kColumn, ' ');
    text += head + help + "\n";
  }
  text +=
      "  /?                  anywhere in the arguments: ask for the database instead of\n"
      "                      reading the control software's log\n";
  return text;
}

// Options are taken out; any other argument is the argument text the
// program searches for "/?". "" when the arguments are sound, else the fault.
std::string ParseOptions(int argc, char** argv, Options& o) {
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h") a = "--help";
    if (a.empty() || a[0] != '-') {
      rest.push_back(a);
      continue;
    }
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : kOptions)
      if (a == s.name) spec = &s;
    if (!spec) return "unknown option " + a;
    std::string value;
    if (spec->value) {
      if (i + 1 >= argc) return a + " needs a value (" + spec->value + ")";
      value = argv[++i];
    }
    spec->set(o, value);
  }
  for (const auto& r : rest) o.command_line += (o.command_line.empty() ? "" : " ") + r;
  if (o.print_appendix && !o.once) return "--print-appendix needs --once";
  if (o.appendix_layout != "standard" && o.appendix_layout != "two-field") {
    return "--appendix-layout is standard or two-field, not " + o.appendix_layout;
  }
  return "";
}

// Until the FTP backend is in, the page is written but not uploaded.
class NoUpload : public tallix::Transfer {
 public:
  void Execute(const std::string&, const std::string&) override {}
};

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  Options o;
  if (const std::string fault = ParseOptions(argc, argv, o); !fault.empty()) {
    std::cerr << "tallix: " << fault << "\n" << Usage();
    return 2;
  }
  if (o.help) {
    std::cout << Usage();
    return 0;
  }
  if (o.version) {
    std::cout << "tallix " TALLIX_VERSION "\n";
    return 0;
  }

  using namespace tallix;
  files::PathMap paths(o.drive_c.empty() ? files::PathMap::DefaultDriveC() : o.drive_c);
  files::HostFileSystem host_files(paths);
  jet::MdbEngine mdb;
  MappedEngine engine(mdb, paths);
  SystemClock clock;
  MemoryForm form;
  TerminalDialog dialog;
  NoUpload transfer;
  spreadsheet::OfficeSpreadsheet office(ProgramFolder() + "/tallix_office");
  const AppendixLayout layout =
      o.appendix_layout == "two-field" ? AppendixLayout::kTwoField : AppendixLayout::kStandard;

  const LogLocation log = ChooseActivityLog(ProgramFolder(), o.log);
  if (!log.note.empty()) std::cerr << log.note << std::endl;

  FmTallixParts parts{engine,         host_files, paths,      form,
                      dialog,         transfer,   clock,      HostDateFormat::FromLocale(),
                      o.command_line, log.path,   o.ftp_host, o.ftp_account,
                      &office,        layout};
  if (!o.once) {
    return qt::RunWindow(argc, argv, paths, [&](FormControl& qt_form, CommonDialog& qt_dialog) {
      return FmTallixParts{engine,
                           host_files,
                           paths,
                           qt_form,
                           qt_dialog,
                           transfer,
                           clock,
                           parts.date_format,
                           parts.command_line,
                           parts.log_path,
                           parts.ftp_host,
                           parts.ftp_account,
                           &office,
                           layout};
    });
  }
  FmTallix window(parts);
  try {
    window.Form_Activate();
  } catch (const std::exception& e) {
    std::cerr << StartUpReport(e) << "\n";
    return 1;
  }
  std::cout << "Database: " << window.s.BWSPath << "\n"
            << "Caption: " << form.Caption() << "\n"
            << "Page: " << paths.ToHost(kPagePath) << "\n";
  if (o.print_appendix) {
    try {
      window.PrintAppendix();
    } catch (const RunTimeError& e) {
      const std::string failure =
          "Appendix failed: error " + std::to_string(e.Number) + ": " + e.Description;
      window.WriteLog(failure);
      std::cerr << failure << "\n";
      return 1;
    }
    std::cout << "Appendix: printed\n";
  }
  return 0;
}
