// The appendix printed by the program itself through a real LibreOffice to a
// PDF printer the test sets up: what is on the paper, the template as it was,
// and no office left running, also when things go wrong.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "platform/jet/mdb_engine.h"
#include "platform/spreadsheet/memory_workbook.h"
#include "support/pdf_printer.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using spreadsheet::Sheet;
using testing::RunCommand;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().string());
  return names;
}

// Processes whose command line mentions `text` (the office's profile lies
// in the test's own folder), zombies left out.
std::vector<pid_t> ProcessesMentioning(const std::string& text, const std::string& also = "") {
  std::vector<pid_t> found;
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = ReadFile(e.path() / "cmdline"), stat = ReadFile(e.path() / "stat");
    std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos || stat.size() < close + 3 || stat[close + 2] == 'Z') continue;
    if (cmdline.find(text) != std::string::npos && cmdline.find(also) != std::string::npos) {
      found.push_back(std::stoi(name));
    }
  }
  return found;
}

bool NoneLeft(const std::string& text) {
  for (int i = 0; i < 300 && !ProcessesMentioning(text).empty(); ++i)
    std::this_thread::sleep_for(10ms);
  return ProcessesMentioning(text).empty();
}

// The office's pipe socket, left in /tmp when an office is ended hard.
bool NoPipeLeft() {
  const std::string prefix = "OSL_PIPE_" + std::to_string(getuid()) + "_tallix_office_";
  for (const auto& e : fs::directory_iterator("/tmp")) {
    if (e.path().filename().string().rfind(prefix, 0) == 0) return false;
  }
  return true;
}

class OfficePrint : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { printer_failure_ = printer_.Start(); }
  static void TearDownTestSuite() { printer_.Stop(); }

  void SetUp() override {
    if (getuid() != 0) GTEST_SKIP() << printer_failure_;
    ASSERT_EQ(printer_failure_, "");
    drive = folder.Path() / "c";
    fs::create_directories(drive / "Bridgemate");
    fs::create_directories(drive / "Bridge");
    const fs::path json = folder.Path() / "session.json";
    const std::string make = "/usr/bin/python3 " TALLIX_SOURCE_DIR
                             "/scripts/demo_session --rounds 3 > " +
                             json.string() + " && " BWSBUILD " " +
                             (drive / "Bridgemate" / "Demo.bws").string() + " " + json.string();
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    fs::copy_file(TALLIX_SOURCE_DIR "/share/SPOOLTEMPL.HTM",
                  drive / "Bridgemate" / "SPOOLTEMPL.HTM");
    fs::copy_file(TALLIX_BINARY_DIR "/share/GridAppendix.xls", Template());
    std::ofstream(drive / "Bridgemate" / "BMProLog.log")
        << FormatDayMonthYear(SystemClock().Now(), '/')
        << " 19:00:01 Opening database C:\\Bridgemate\\Demo.bws\r\n";
  }

  fs::path Template() const { return drive / "Bridge" / "GridAppendix.xls"; }
  fs::path Log() const { return folder.Path() / "TallixLog.txt"; }

  // tallix --once --print-appendix, with the helper's folders under ours.
  std::pair<int, std::string> PrintAppendix(const std::string& environment = "") {
    return RunCommand("TMPDIR=" + folder.Path().string() + " LC_TIME=C " + environment + " " +
                      TALLIX_BINARY_DIR "/src/app/tallix --once --print-appendix --drive-c " +
                      drive.string() + " --log " + Log().string() + " </dev/null");
  }

  // What the program writes, from the same session on the in-memory workbook.
  std::vector<spreadsheet::PrintedSheet> Expected() {
    files::PathMap paths(drive.string());
    files::HostFileSystem host_files(paths);
    jet::MdbEngine mdb;
    MappedEngine engine(mdb, paths);
    SystemClock clock;
    MemoryForm form;
    MemoryDialog dialog;
    MemoryTransfer transfer;
    spreadsheet::MemoryWorkbook workbook(
        {{paths.ToHost(kAppendixTemplatePath), {Sheet{}, Sheet{}}}});
    FmTallix window({engine,
                     host_files,
                     paths,
                     form,
                     dialog,
                     transfer,
                     clock,
                     HostDateFormat{},
                     "",
                     (folder.Path() / "TallixLog.txt").string(),
                     {},
                     "tallix",
                     "qoradu",
                     &workbook});
    window.Form_Activate();
    window.PrintAppendix();
    return workbook.Printed();
  }

  testing::TempFolder folder{"tallix_office"};
  fs::path drive;
  static inline testing::PdfPrinter printer_;
  static inline std::string printer_failure_;
};

// The words of a one-page PDF line by line, read from their boxes: a
// landscape sheet comes on upright paper turned, where the text tool's own
// layout runs narrow neighbouring cells together.
std::vector<std::string> Words(const fs::path& pdf) {
  struct Word {
    double across, along;  // position across the lines and along one
    std::string text;
  };
  const std::string boxes = RunCommand("pdftotext -bbox '" + pdf.string() + "' -").second;
  struct Box {
    double x0, y0, x1, y1;
    std::string text;
  };
  std::vector<Box> found;
  bool turned = false;
  std::istringstream lines(boxes);
  for (std::string line; std::getline(lines, line);) {
    Box b;
    char text[256];
    if (std::sscanf(line.c_str(),
                    " <word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\">%255[^<]", &b.x0,
                    &b.y0, &b.x1, &b.y1, text) != 5) {
      continue;
    }
    b.text = text;
    if (b.text == "Board") turned = b.y1 - b.y0 > b.x1 - b.x0;
    found.push_back(b);
  }
  std::vector<Word> words;
  for (const Box& b : found) {
    words.push_back(turned ? Word{b.x0, -b.y1, b.text} : Word{b.y0, b.x0, b.text});
  }
  // Words within two points of a line's first word are on that line.
  std::sort(words.begin(), words.end(),
            [](const Word& a, const Word& b) { return a.across < b.across; });
  for (std::size_t first = 0, i = 0; i <= words.size(); ++i) {
    if (i == words.size() || words[i].across - words[first].across > 2) {
      for (std::size_t k = first; k < i; ++k) words[k].across = words[first].across;
      first = i;
    }
  }
  std::stable_sort(words.begin(), words.end(), [](const Word& a, const Word& b) {
    return a.across != b.across ? a.across < b.across : a.along < b.along;
  });
  std::vector<std::string> texts;
  for (const Word& w : words) texts.push_back(w.text);
  return texts;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string all;
  for (const std::string& w : words) all += w + " ";
  return all;
}

bool HasRun(const std::vector<std::string>& words, const std::vector<std::string>& run) {
  return std::search(words.begin(), words.end(), run.begin(), run.end()) != words.end();
}

TEST_F(OfficePrint, TheDemoSessionOnTwoPrintedPages) {
  const std::vector<spreadsheet::PrintedSheet> expected = Expected();
  ASSERT_EQ(expected.size(), 2u);
  const std::string template_before = ReadFile(Template());
  const std::set<std::string> before = testing::PdfPrinter::Files();

  const auto [code, out] = PrintAppendix();
  ASSERT_EQ(code, 0) << out;
  EXPECT_NE(out.find("Appendix: printed"), std::string::npos) << out;
  EXPECT_EQ(ReadFile(Template()), template_before);
  EXPECT_TRUE(NoneLeft(folder.Path().string()));
  EXPECT_TRUE(NoPipeLeft());

  const std::vector<fs::path> pdfs = testing::PdfPrinter::NewFiles(before);
  ASSERT_EQ(pdfs.size(), 2u);
  std::vector<std::string> text;
  for (const fs::path& pdf : pdfs) {
    EXPECT_NE(RunCommand("pdfinfo '" + pdf.string() + "'").second.find("Pages:           1"),
              std::string::npos);
    text.push_back(RunCommand("pdftotext -layout '" + pdf.string() + "' -").second);
  }
  // Worksheet 1: the title, every listed pair's name and percentage.
  int names = 0;
  for (const auto& [at, cell] : expected[0].cells) {
    if (const auto* s = std::get_if<std::string>(&cell.value)) {
      const std::string shown = s->substr(0, s->find_last_not_of(' ') + 1);
      EXPECT_NE(text[0].find(shown), std::string::npos) << shown << "\n" << text[0];
      names += at.first > 1;
    }
    if (!cell.format.empty()) {
      char percent[16];
      std::snprintf(percent, sizeof percent, "%.2f",
                    static_cast<double>(std::get<float>(cell.value)));
      EXPECT_NE(text[0].find(percent), std::string::npos) << percent << "\n" << text[0];
    }
  }
  EXPECT_EQ(names, 14);  // seven pairs each way
  // Worksheet 2: each result's pairs and score side by side.
  const std::vector<std::string> words = Words(pdfs[1]);
  int results = 0;
  for (const auto& [at, cell] : expected[1].cells) {
    if ((at.second - 1) % 6 != 0) continue;
    const auto value = [&](int column) -> std::string {
      const auto found = expected[1].cells.find({at.first, column});
      return found == expected[1].cells.end()
                 ? ""
                 : std::to_string(std::get<int32_t>(found->second.value));
    };
    const std::string score =
        value(at.second + 2).empty() ? value(at.second + 3) : value(at.second + 2);
    EXPECT_TRUE(HasRun(words, {value(at.second), value(at.second + 1), score}))
        << "row " << at.first << " column " << at.second << " in " << Joined(words);
    ++results;
  }
  EXPECT_EQ(results, 3 * 7 * 3);  // three rounds of seven tables, three boards each
  for (const fs::path& pdf : pdfs) fs::remove(pdf);
}

TEST_F(OfficePrint, FailuresLeaveALogLineAndNothingRunning) {
  struct Case {
    const char* what;
    std::string environment;
    bool remove_template, kill_office;
    const char* failure;
  };
  const Case cases[] = {
      {"template missing", "", true, false, "Appendix failed: error 53: File not found: "},
      {"no LibreOffice", "PATH=/nonexistent", false, false,
       "Appendix failed: error 429: ActiveX component can't create object: LibreOffice"},
      {"office killed between the sheets", "", false, true,
       "Appendix failed: error 440: Automation error: "},
  };
  const std::set<std::string> before = testing::PdfPrinter::Files();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(Template());
    if (!c.remove_template) fs::copy_file(TALLIX_BINARY_DIR "/share/GridAppendix.xls", Template());
    const std::string template_before = ReadFile(Template());
    // Ends the office as soon as the helper reports worksheet 1 printed.
    std::atomic<bool> done = false, killed = false;
    std::thread killer([&] {
      while (c.kill_office && !done) {
        for (const std::string& work : Listing(folder.Path())) {
          if (ReadFile(fs::path(work) / "helper.log").find("printed worksheet 1") ==
              std::string::npos) {
            continue;
          }
          for (pid_t pid : ProcessesMentioning(folder.Path().string(), "soffice.bin")) {
            killed = kill(pid, SIGKILL) == 0;
          }
          return;
        }
        std::this_thread::sleep_for(2ms);
      }
    });
    const auto [code, out] = PrintAppendix(c.environment);
    done = true;
    killer.join();
    EXPECT_EQ(code, 4) << out;
    EXPECT_NE(out.find(c.failure), std::string::npos) << out;
    EXPECT_NE(ReadFile(Log()).find(c.failure), std::string::npos);
    EXPECT_EQ(killed.load(), c.kill_office);
    EXPECT_EQ(ReadFile(Template()), template_before);
    EXPECT_TRUE(NoneLeft(folder.Path().string()));
    EXPECT_TRUE(NoPipeLeft());
  }
  // Worksheet 1, printed before the office was killed, stays printed (and
  // worksheet 2 too when the kill came during its print job).
  const std::vector<fs::path> printed = testing::PdfPrinter::NewFiles(before);
  EXPECT_GE(printed.size(), 1u);
  EXPECT_LE(printed.size(), 2u);
  for (const fs::path& pdf : printed) fs::remove(pdf);
}

}  // namespace
}  // namespace tallix
