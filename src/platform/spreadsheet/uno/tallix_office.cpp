// tallix_office --work DIR SCRIPT: carries out the spreadsheet operations of
// SCRIPT on a LibreOffice of its own (profile under DIR). Exit 0 when every
// operation succeeded; otherwise "error N: description" on standard error
// and exit 1. The workbook is closed unsaved and the office ended either way.
#include <sys/prctl.h>

#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "core/run_time_error.h"
#include "platform/spreadsheet/office_script.h"
#include "platform/spreadsheet/uno/uno_spreadsheet.h"

namespace {

void Report(int number, const std::string& description) {
  std::cerr << "error " << number << ": " << description << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the program that asked
  if (argc != 4 || std::string(argv[1]) != "--work") {
    std::cerr << "usage: tallix_office --work DIR SCRIPT\n";
    return 2;
  }
  std::ifstream in(argv[3], std::ios::binary);
  if (!in) {
    Report(tallix::err::kFileNotFound, std::string("File not found: ") + argv[3]);
    return 1;
  }
  std::ostringstream script;
  script << in.rdbuf();

  int status = 0;
  {
    tallix::spreadsheet::UnoSpreadsheet office(argv[2]);
    try {
      tallix::spreadsheet::ReplayScript(script.str(), office);
    } catch (const tallix::RunTimeError& e) {
      Report(e.Number, e.Description);
      status = 1;
    } catch (const css::uno::Exception& e) {
      Report(tallix::spreadsheet::kAutomationError,
             "Automation error: " +
                 std::string(rtl::OUStringToOString(e.Message, RTL_TEXTENCODING_UTF8).getStr()));
      status = 1;
    } catch (const std::exception& e) {
      Report(tallix::spreadsheet::kAutomationError, std::string("Automation error: ") + e.what());
      status = 1;
    }
    try {
      office.Quit();
    } catch (...) {
    }
  }
  // The bridge to the office is gone; releasing what is left of the UNO
  // runtime at exit gains nothing and can only fail.
  std::cout.flush();
  std::_Exit(status);
}
