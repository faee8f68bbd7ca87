// Tallix: the live results display. Without options it opens the window on
// the second monitor; --once runs the start-up and one refresh pass with no
// display at all, writes and uploads the page, and exits; --headless runs the
// refresh cycle with no display until SIGINT or SIGTERM.
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/fm_tallix.h"
#include "app/headless.h"
#include "app/mapped_engine.h"
#include "app/terminal_dialog.h"
#include "app/window_module.h"
#include "core/clock.h"
#include "core/run_time_error.h"
#include "platform/files/files.h"
#include "platform/jet/mdb_engine.h"
#include "platform/transfer/curl_transfer.h"
#include "platform/transfer/transfer.h"
#include "ranking/show_rankings.h"

namespace {

struct Options {
  bool once = false;
  bool headless = false;
  bool help = false;
  std::string drive_c;
  std::string ftp_host;
  std::string ftp_port = "21";
  std::string ftp_account = "tallix";
  std::string ftp_password_file;
  std::string ftp_tls = "try";
  std::string ftp_ca;
  std::string refresh_ms;    // tests: the refresh interval of --headless in ms
  std::string command_line;  // everything that is not one of our options
};

const char kUsage[] =
    "usage: tallix [--once | --headless] [--drive-c DIR] [--ftp-host HOST] [--ftp-port N]\n"
    "              [--ftp-account NAME] [--ftp-password-file FILE] [--ftp-tls try|require|off]\n"
    "              [--ftp-ca FILE] [/?]\n"
    "  --once          start up, run one refresh pass without a display, write and upload\n"
    "                  the page, say what happened; exit 0 only when all of it worked\n"
    "  --headless      the refresh cycle without a display, until SIGINT or SIGTERM\n"
    "  --refresh-ms N  with --headless, for tests: refresh every N ms\n"
    "  --drive-c DIR   the folder that stands for drive C: (default ~/.wine/drive_c)\n"
    "  --ftp-host HOST publish the page by FTP to HOST (without it publishing is off);\n"
    "                  --ftp-port (21), --ftp-account (tallix), --ftp-password-file (its\n"
    "                  first line), --ftp-tls (try), --ftp-ca (a CA bundle) set the rest\n"
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
    } else if (a == "--headless") {
      o.headless = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--drive-c") {
      if (!value(o.drive_c)) return false;
    } else if (a == "--ftp-host") {
      if (!value(o.ftp_host)) return false;
    } else if (a == "--ftp-account") {
      if (!value(o.ftp_account)) return false;
    } else if (a == "--ftp-port") {
      if (!value(o.ftp_port)) return false;
    } else if (a == "--ftp-password-file") {
      if (!value(o.ftp_password_file)) return false;
    } else if (a == "--ftp-tls") {
      if (!value(o.ftp_tls)) return false;
    } else if (a == "--ftp-ca") {
      if (!value(o.ftp_ca)) return false;
    } else if (a == "--refresh-ms") {
      if (!value(o.refresh_ms)) return false;
    } else {
      rest.push_back(a);
    }
  }
  for (const auto& r : rest) o.command_line += (o.command_line.empty() ? "" : " ") + r;
  const bool port_ok = o.ftp_port.find_first_not_of("0123456789") == std::string::npos &&
                       !o.ftp_port.empty() && o.ftp_port.size() <= 5 &&
                       std::stoi(o.ftp_port) >= 1 && std::stoi(o.ftp_port) <= 65535;
  const bool tls_ok = o.ftp_tls == "try" || o.ftp_tls == "require" || o.ftp_tls == "off";
  const bool refresh_ok =
      o.refresh_ms.empty() || (o.refresh_ms.size() <= 6 && o.headless &&
                               o.refresh_ms.find_first_not_of("0123456789") == std::string::npos);
  return port_ok && tls_ok && refresh_ok && !(o.once && o.headless);
}

// The first line of the password file; a club's own password in place of
// the one every copy of the program shares.
bool ReadPassword(const std::string& path, std::string& password) {
  std::ifstream in(path, std::ios::binary);
  if (!in || !std::getline(in, password)) return false;
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return !password.empty();
}

std::unique_ptr<tallix::Transfer> MakeTransfer(const Options& o,
                                               const tallix::files::PathMap& paths) {
  using namespace tallix;
  if (o.ftp_host.empty()) return std::make_unique<NoTransfer>();
  FtpSettings settings;
  settings.port = std::stoi(o.ftp_port);
  settings.tls = o.ftp_tls == "off"       ? FtpTls::Off
                 : o.ftp_tls == "require" ? FtpTls::Require
                                          : FtpTls::Try;
  settings.ca_file = o.ftp_ca;
  return std::make_unique<CurlTransfer>(paths, settings);
}

// --once: what became of the page, on standard output; the exit status.
int ReportOnce(tallix::FmTallix& window, tallix::Transfer& transfer, const std::string& page) {
  using namespace tallix;
  std::cout << "Database: " << window.s.BWSPath << "\n"
            << "Caption: " << window.Form().Caption() << "\n";
  if (!window.PageWritten()) {
    std::cout << "Page: not written: " << window.PageFailure() << "\n";
    return 3;
  }
  std::cout << "Page: written: " << page << "\n";
  auto* ftp = dynamic_cast<CurlTransfer*>(&transfer);
  if (!ftp) {
    std::cout << "Upload: off (no --ftp-host given)\n";
    return 0;
  }
  const std::string server = ftp->ServerText("");
  if (!ftp->WaitIdle(std::chrono::seconds(60))) {
    std::cout << "Upload: not finished after 60 s: " << server << "\n";
    return 3;
  }
  window.DeliverNotes();
  const UploadOutcome outcome = ftp->LastOutcome();
  if (!outcome.ok) {
    std::cout << "Upload: failed: " << server << ": " << outcome.error << "\n";
    return 3;
  }
  std::cout << "Upload: done: " << server << "/www/RankingTable.htm\n";
  return 0;
}

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
  std::string password = "qoradu";
  if (!o.ftp_password_file.empty() && !ReadPassword(o.ftp_password_file, password)) {
    std::cerr << "Tallix could not start: error 53: File not found or its first line empty: "
              << o.ftp_password_file << "\n";
    return 1;
  }
  // Before any thread starts, so that the upload's thread never takes them.
  if (o.headless) BlockStopSignals();
  files::PathMap paths(o.drive_c.empty() ? files::PathMap::DefaultDriveC() : o.drive_c);
  files::HostFileSystem host_files(paths);
  jet::MdbEngine mdb;
  MappedEngine engine(mdb, paths);
  SystemClock clock;
  MemoryForm form;
  TerminalDialog dialog;
  const std::unique_ptr<Transfer> upload = MakeTransfer(o, paths);
  Transfer& transfer = *upload;

  FmTallixParts parts{engine,         host_files,
                      paths,          form,
                      dialog,         transfer,
                      clock,          HostDateFormat::FromLocale(),
                      o.command_line, ProgramFolder() + "/TallixLog.txt",
                      o.ftp_host,     o.ftp_account,
                      password};
  if (o.headless) {
    FmTallix window(parts);
    return RunHeadless(
        window, std::cerr,
        std::chrono::milliseconds(o.refresh_ms.empty() ? 0 : std::stoi(o.refresh_ms)));
  }
  if (!o.once) {
    return RunWindowModule(argc, argv, paths, [&](FormControl& qt_form, CommonDialog& qt_dialog) {
      return FmTallixParts{engine,         host_files,        paths,
                           qt_form,        qt_dialog,         transfer,
                           clock,          parts.date_format, parts.command_line,
                           parts.log_path, parts.ftp_host,    parts.ftp_account,
                           password};
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
  return ReportOnce(window, transfer, paths.ToHost(kPagePath));
}
