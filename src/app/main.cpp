// Tallix: the live results display. Without options it opens the window on
// the second monitor; --once runs the start-up and one refresh pass with no
// display at all, writes the page and the activity log, and exits.
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "app/terminal_dialog.h"
#include "app/window_module.h"
#include "core/clock.h"
#include "core/run_time_error.h"
#include "platform/files/files.h"
#include "platform/jet/mdb_engine.h"
#include "platform/transfer/transfer.h"
#include "ranking/show_rankings.h"

namespace {

struct Options {
  bool once = false;
  bool help = false;
  std::string drive_c;
  std::string ftp_host = "localhost";
  std::string ftp_account = "tallix";
  std::string command_line;  // everything that is not one of our options
};

const char kUsage[] =
    "usage: tallix [--once] [--drive-c DIR] [--ftp-host HOST] [--ftp-account NAME] [/?]\n"
    "  --once          start up, run one refresh pass without a display, write the\n"
    "                  page and the activity log, and exit\n"
    "  --drive-c DIR   the folder that stands for drive C: (default ~/.wine/drive_c)\n"
    "  --ftp-host      the publishing host; --ftp-account the account on it\n"
    "  /?              ask for the database instead of reading the control software's log\n";

bool ParseOptions(int argc, char** argv, Options& o) {
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (a == "--once") {
      o.once = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--drive-c") {
      if (!value(o.drive_c)) return false;
    } else if (a == "--ftp-host") {
      if (!value(o.ftp_host)) return false;
    } else if (a == "--ftp-account") {
      if (!value(o.ftp_account)) return false;
    } else {
      rest.push_back(a);
    }
  }
  for (const auto& r : rest) o.command_line += (o.command_line.empty() ? "" : " ") + r;
  return true;
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
  if (!ParseOptions(argc, argv, o)) {
    std::cerr << kUsage;
    return 2;
  }
  if (o.help) {
    std::cout << kUsage;
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

  FmTallixParts parts{engine,         host_files,
                      paths,          form,
                      dialog,         transfer,
                      clock,          HostDateFormat::FromLocale(),
                      o.command_line, ProgramFolder() + "/TallixLog.txt",
                      o.ftp_host,     o.ftp_account};
  if (!o.once) {
    return RunWindowModule(argc, argv, paths, [&](FormControl& qt_form, CommonDialog& qt_dialog) {
      return FmTallixParts{engine,         host_files,        paths,
                           qt_form,        qt_dialog,         transfer,
                           clock,          parts.date_format, parts.command_line,
                           parts.log_path, parts.ftp_host,    parts.ftp_account};
    });
  }
  FmTallix window(parts);
  try {
    window.Form_Activate();
  } catch (const RunTimeError& e) {
    std::cerr << "Tallix could not start: error " << e.Number << ": " << e.Description << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "Tallix could not start: " << e.what() << "\n";
    return 1;
  }
  std::cout << "Database: " << window.s.BWSPath << "\n"
            << "Caption: " << form.Caption() << "\n"
            << "Page: " << paths.ToHost(kPagePath) << "\n";
  return 0;
}
