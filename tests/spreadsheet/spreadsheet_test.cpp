// The spreadsheet operations as a script for the helper, and the program's
// side of the helper: its deadline, its failures and its process group.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/spreadsheet/memory_workbook.h"
#include "platform/spreadsheet/office_script.h"
#include "platform/spreadsheet/office_spreadsheet.h"
#include "support/error_number.h"
#include "support/temp_folder.h"

namespace tallix::spreadsheet {
namespace {

using tallix::testing::ErrorNumber;
using tallix::testing::TempFolder;

constexpr char kBook[] = "/c/Bridge/GridAppendix.xls";

// The same operations, once straight on a workbook and once through a script.
template <class Ops>
void ExpectSameThroughScript(Ops ops) {
  MemoryWorkbook direct({{kBook, {Sheet{}, Sheet{}}}});
  MemoryWorkbook replayed({{kBook, {Sheet{}, Sheet{}}}});
  ScriptRecorder recorder;
  ops(direct);
  ops(recorder);
  ReplayScript(recorder.Script(), replayed);
  EXPECT_EQ(replayed.Printed().size(), direct.Printed().size());
  for (std::size_t i = 0; i < direct.Printed().size(); ++i) {
    EXPECT_EQ(replayed.Printed()[i].index, direct.Printed()[i].index);
    EXPECT_EQ(replayed.Printed()[i].cells, direct.Printed()[i].cells);
  }
  EXPECT_EQ(replayed.Running(), direct.Running());
}

TEST(OfficeScript, EveryOperationAndValueComesBackExactly) {
  ExpectSameThroughScript([](Spreadsheet& s) {
    s.Start();
    s.Open(kBook);
    s.Worksheet(1);
    s.SetValue(1, 1, std::string("Tab\there, line\nbreak, back\\slash \\t, Ünïcode & <b>"));
    s.SetValue(2, 1, std::string());
    s.SetValue(3, 1, int32_t{-2147483647});
    s.SetValue(4, 1, 63.88889f);
    s.SetValue(5, 1, 0.1f);
    s.SetValue(5, 1, CellValue{});
    s.SetNumberFormat(4, 1, "0.00");
    s.InsertRow(2);
    s.DeleteRow(4);
    s.PrintOut();
    s.Worksheet(2);
    s.SetValue(55, 139, int32_t{420});
    s.PrintOut();
    s.MarkSaved();
    s.Close();
    s.Quit();
  });
}

TEST(OfficeScript, ALineThatIsNoOperationIsRefused) {
  for (const char* line : {"value\t1\t1\tx\t3", "value\t1\t1\ti\t3.5", "sheet\ttwo", "print\t1",
                           "insert", "format\t1\t1", "erase\t1", "value\t1\t1\tf\t1e"}) {
    SCOPED_TRACE(line);
    MemoryWorkbook office({{kBook, {Sheet{}}}});
    EXPECT_EQ(ErrorNumber([&] {
                ReplayScript(std::string("start\nopen\t") + kBook + "\nsheet\t1\n" + line + "\n",
                             office);
              }),
              err::kInvalidCall);
  }
}

// Stand-ins for the helper: shell scripts that behave as a helper might.
class OfficeHelper : public ::testing::Test {
 protected:
  OfficeHelper() : folder("tallix_helper") {
    book = (folder.Path() / "book.xls").string();
    std::ofstream(book) << "workbook";
    const char* tmp = std::getenv("TMPDIR");
    if (tmp) old_tmpdir = tmp;
    setenv("TMPDIR", folder.Path().c_str(), 1);  // the helper's work folder goes there
  }
  ~OfficeHelper() override {
    old_tmpdir ? setenv("TMPDIR", old_tmpdir->c_str(), 1) : unsetenv("TMPDIR");
  }

  std::string Helper(const std::string& body) {
    const std::string path = (folder.Path() / "helper.sh").string();
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
    return path;
  }
  std::string Marker(const std::string& name) const { return (folder.Path() / name).string(); }

  // Runs the appendix's outline; the error number it raises.
  int Run(OfficeSpreadsheet& office, const std::string& path) {
    return ErrorNumber([&] {
      office.Start();
      office.Open(path);
      office.Worksheet(1);
      office.SetValue(1, 1, std::string("Title"));
      office.PrintOut();
      office.MarkSaved();
      office.Close();
      office.Quit();
    });
  }

  // A process that has ended but is not yet reaped counts as gone.
  static bool Alive(const std::string& pid_file) {
    std::ifstream in(pid_file);
    int pid = 0;
    if (!(in >> pid) || pid <= 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
  }

  TempFolder folder;
  std::string book;
  std::optional<std::string> old_tmpdir;
};

TEST_F(OfficeHelper, FailuresAreReportedAndNothingIsLeftRunning) {
  // Each helper leaves a child behind in its group, as an office would.
  const std::string child = "sleep 60 & echo $! > " + Marker("child.pid") + "; ";
  struct Case {
    const char* what;
    std::string helper;
    int error;
    const char* description;  // the start of it
  };
  const Case cases[] = {
      {"done", child + "grep -q '^print$' \"$3\" && grep -q '^quit$' \"$3\"", 0, ""},
      {"reported", child + "echo 'error 9: Subscript out of range' >&2; exit 1", err::kSubscript,
       "Subscript out of range"},
      {"crashed", child + "kill -SEGV $$", kAutomationError,
       "Automation error: the office helper ended by signal 11"},
      {"hung", child + "sleep 60", kAutomationError,
       "Automation error: the spreadsheet application did not finish within 1 s and was ended"},
      {"cannot run", "exec /nonexistent/soffice", kCannotCreateObject,
       "ActiveX component can't create object: the office helper could not run"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(Marker("child.pid"));
    OfficeSpreadsheet office(Helper(c.helper), std::chrono::seconds(1));
    std::string description;
    try {
      office.Start();
      office.Open(book);
      office.Worksheet(1);
      office.PrintOut();
      office.MarkSaved();
      office.Close();
      office.Quit();
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.Number, c.error) << e.Description;
      description = e.Description;
    }
    EXPECT_EQ(description.rfind(c.description, 0), 0u) << description;
    // SIGKILL takes a moment to land.
    for (int i = 0; i < 200 && Alive(Marker("child.pid")); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(Alive(Marker("child.pid")));
  }
  // The work folder with the script and the office's profile is gone.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

TEST_F(OfficeHelper, MissingTemplateOrHelperFailsWithoutStartingAnything) {
  const std::string started = Marker("started");
  OfficeSpreadsheet office(Helper("touch " + started));
  EXPECT_EQ(Run(office, Marker("none.xls")), err::kFileNotFound);
  office.Quit();
  EXPECT_FALSE(std::filesystem::exists(started));

  OfficeSpreadsheet no_helper(Marker("no_helper"));
  EXPECT_EQ(Run(no_helper, book), kCannotCreateObject);
}

}  // namespace
}  // namespace tallix::spreadsheet
