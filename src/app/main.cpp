// Tallix: the live results display. Without options it opens the window on
// the second monitor; --once runs the start-up and one refresh pass with no
// display at all, writes and uploads the page, and exits; --headless runs the
// refresh cycle with no display until SIGINT or SIGTERM. With --once,
// --print-appendix prints the appendix before it exits.
#include <unistd.h>

#include <algorithm>
#include <chrono>
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
#include "app/log_location.h"
#include "app/mapped_engine.h"
#include "app/program_module.h"
#include "app/start_up_report.h"
#include "app/terminal_dialog.h"
#include "app/window_module.h"
#include "core/clock.h"
#include "core/run_time_error.h"
#include "platform/files/files.h"
#include "platform/jet/mdb_engine.h"
#include "platform/spreadsheet/office_spreadsheet.h"
#include "platform/transfer/ftp_transfer.h"
#include "platform/transfer/transfer.h"
#include "ranking/show_rankings.h"

namespace {

struct Options {
  bool once = false;
  bool headless = false;
  bool help = false;
  bool version = false;
  bool print_appendix = false;
  std::string appendix_layout = "standard";
  std::string drive_c;
  std::string ftp_host;
  std::string ftp_port = "21";
  std::string ftp_account = "tallix";
  std::string ftp_password_file;
  std::string ftp_tls = "try";
  std::string ftp_ca;
  std::string log;
  std::string refresh_ms;    // tests: the refresh interval of --headless in ms
  std::string command_line;  // everything that is not one of our options
};

// Every option the program knows, in the order the usage text lists them.
// An option with a value names it in `value`; `help` may run over lines.
struct KnownOption {
  const char* name;
  const char* value;  // nullptr for a switch
  const char* help;
  void (*set)(Options& o, const std::string& value);
};

const KnownOption kOptions[] = {
    {"--once", nullptr,
     "start up, run one refresh pass without a display, write and upload the\n"
     "page, say what happened; exit 0 only when all of it worked, else 3",
     [](Options& o, const std::string&) { o.once = true; }},
    {"--print-appendix", nullptr,
     "with --once: then print the appendix; exit 0 only when both sheets\n"
     "were printed, else 4",
     [](Options& o, const std::string&) { o.print_appendix = true; }},
    {"--appendix-layout", "LAYOUT",
     "the appendix template's layout: standard (default) or two-field",
     [](Options& o, const std::string& v) { o.appendix_layout = v; }},
    {"--headless", nullptr, "the refresh cycle without a display, until SIGINT or SIGTERM",
     [](Options& o, const std::string&) { o.headless = true; }},
    {"--drive-c", "DIR", "the folder that stands for drive C: (default ~/.wine/drive_c)",
     [](Options& o, const std::string& v) { o.drive_c = v; }},
    {"--ftp-host", "HOST", "publish the page by FTP to HOST (without it publishing is off)",
     [](Options& o, const std::string& v) { o.ftp_host = v; }},
    {"--ftp-port", "N", "the FTP server's port (default 21)",
     [](Options& o, const std::string& v) { o.ftp_port = v; }},
    {"--ftp-account", "NAME", "the account on the publishing host (default tallix)",
     [](Options& o, const std::string& v) { o.ftp_account = v; }},
    {"--ftp-password-file", "FILE", "its first line is the FTP password",
     [](Options& o, const std::string& v) { o.ftp_password_file = v; }},
    {"--ftp-tls", "MODE",
     "try (default: TLS when the server offers it), require (no upload\n"
     "without TLS) or off",
     [](Options& o, const std::string& v) { o.ftp_tls = v; }},
    {"--ftp-ca", "FILE", "a CA bundle for the FTP server's certificate",
     [](Options& o, const std::string& v) { o.ftp_ca = v; }},
    {"--log", "FILE",
     "the activity log (default TallixLog.txt beside the program, or\n"
     "~/.local/state/tallix/TallixLog.txt when that folder cannot be written)",
     [](Options& o, const std::string& v) { o.log = v; }},
    {"--refresh-ms", "N", "with --headless, for tests: refresh every N ms",
     [](Options& o, const std::string& v) { o.refresh_ms = v; }},
    {"--version", nullptr, "print the version and exit",
     [](Options& o, const std::string&) { o.version = true; }},
    {"--help", nullptr, "print this text and exit (also -h)",
     [](Options& o, const std::string&) { o.help = true; }},
};

std::string Usage() {
  std::string text = "usage: tallix [OPTION]... [/?]\n";
  constexpr std::size_t kColumn = 22;
  for (const KnownOption& known : kOptions) {
    std::string head =
        std::string("  ") + known.name + (known.value ? std::string(" ") + known.value : "");
    head.resize(std::max(head.size() + 1, kColumn), ' ');
    std::string help = known.help;
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
    const KnownOption* known = nullptr;
    for (const KnownOption& s : kOptions)
      if (a == s.name) known = &s;
    if (!known) return "unknown option " + a;
    std::string value;
    if (known->value) {
      if (i + 1 >= argc) return a + " needs a value (" + known->value + ")";
      value = argv[++i];
    }
    known->set(o, value);
  }
  for (const auto& r : rest) o.command_line += (o.command_line.empty() ? "" : " ") + r;
  const std::string& port = o.ftp_port;
  if (port.empty() || port.size() > 5 ||
      port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) < 1 ||
      std::stoi(port) > 65535)
    return "--ftp-port needs a port number from 1 to 65535, not " + port;
  if (o.ftp_tls != "try" && o.ftp_tls != "require" && o.ftp_tls != "off")
    return "--ftp-tls takes try, require or off, not " + o.ftp_tls;
  if (o.once && o.headless) return "--once and --headless exclude each other";
  if (!o.refresh_ms.empty() && (!o.headless || o.refresh_ms.size() > 6 ||
                                o.refresh_ms.find_first_not_of("0123456789") != std::string::npos))
    return "--refresh-ms takes a number of milliseconds, with --headless";
  if (o.print_appendix && !o.once) return "--print-appendix needs --once";
  if (o.appendix_layout != "standard" && o.appendix_layout != "two-field")
    return "--appendix-layout takes standard or two-field, not " + o.appendix_layout;
  return "";
}

// The first line of the password file; a club's own password in place of
// the one every copy of the program shares.
bool ReadPassword(const std::string& path, std::string& password) {
  std::ifstream in(path, std::ios::binary);
  if (!in || !std::getline(in, password)) return false;
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return !password.empty();
}

// Publishing off: no FTP backend (nullptr, `error` empty). On: the backend
// from its module, or nullptr with `error` saying why it could not be loaded.
std::unique_ptr<tallix::FtpTransfer> MakeFtpTransfer(const Options& o,
                                                     const tallix::files::PathMap& paths,
                                                     std::string& error) {
  using namespace tallix;
  if (o.ftp_host.empty()) return nullptr;
  FtpSettings settings;
  settings.port = std::stoi(o.ftp_port);
  settings.tls = o.ftp_tls == "off"       ? FtpTls::Off
                 : o.ftp_tls == "require" ? FtpTls::Require
                                          : FtpTls::Try;
  settings.ca_file = o.ftp_ca;
  using Make = FtpTransfer* (*)(const files::PathMap*, const FtpSettings*);
  auto make = reinterpret_cast<Make>(
      ProgramModuleEntry("libtallix_ftp.so", "tallix_make_ftp_transfer", error));
  return std::unique_ptr<FtpTransfer>(make ? make(&paths, &settings) : nullptr);
}

// --once: what became of the page, on standard output; the exit status.
int ReportOnce(tallix::FmTallix& window, tallix::FtpTransfer* ftp, const std::string& page) {
  using namespace tallix;
  std::cout << "Database: " << window.s.BWSPath << "\n"
            << "Caption: " << window.Form().Caption() << "\n";
  if (!window.PageWritten()) {
    std::cout << "Page: not written: " << window.PageFailure() << "\n";
    return 3;
  }
  std::cout << "Page: written: " << page << "\n";
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
  std::string module_error;
  const std::unique_ptr<FtpTransfer> ftp = MakeFtpTransfer(o, paths, module_error);
  if (!ftp && !module_error.empty()) {
    std::cerr << "Tallix could not start: the FTP module could not be loaded: " << module_error
              << "\n";
    return 1;
  }
  NoTransfer no_transfer;
  Transfer& transfer = ftp ? static_cast<Transfer&>(*ftp) : no_transfer;
  spreadsheet::OfficeSpreadsheet office(ProgramPart("tallix_office"));
  const AppendixLayout layout =
      o.appendix_layout == "two-field" ? AppendixLayout::kTwoField : AppendixLayout::kStandard;

  const LogLocation log = ChooseActivityLog(ProgramFolder(), o.log);
  if (!log.note.empty()) std::cerr << log.note << std::endl;

  FmTallixParts parts{engine,         host_files, paths,      form,
                      dialog,         transfer,   clock,      HostDateFormat::FromLocale(),
                      o.command_line, log.path,   o.ftp_host, o.ftp_account,
                      password,       &office,    layout};
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
                           password,       &office,           layout};
    });
  }
  FmTallix window(parts);
  try {
    window.Form_Activate();
  } catch (const std::exception& e) {
    std::cerr << StartUpReport(e) << "\n";
    return 1;
  }
  const int once = ReportOnce(window, ftp.get(), paths.ToHost(kPagePath));
  if (!o.print_appendix) return once;
  try {
    window.PrintAppendix();
  } catch (const RunTimeError& e) {
    const std::string failure =
        "Appendix failed: error " + std::to_string(e.Number) + ": " + e.Description;
    window.WriteLog(failure);
    std::cerr << failure << "\n";
    return 4;
  }
  std::cout << "Appendix: printed\n";
  return once;
}
