// The appendix on the 7-table demo session: from the key to both sheets
// spooled through a real LibreOffice (needs a default printer), and the
// filling alone on the in-memory workbook.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "platform/jet/mdb_engine.h"
#include "platform/spreadsheet/memory_workbook.h"
#include "platform/spreadsheet/office_spreadsheet.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

// The demo session under a temporary drive C:, the program's parts around it.
struct DemoWindow {
  explicit DemoWindow(spreadsheet::Spreadsheet& workbook)
      : drive(fs::temp_directory_path() / ("tallix_bench_appendix_" + std::to_string(getpid()))),
        paths(drive.string()),
        host_files(paths),
        engine(mdb, paths) {
    fs::create_directories(drive / "Bridgemate");
    fs::create_directories(drive / "Bridge");
    const std::string make =
        "/usr/bin/python3 " TALLIX_SOURCE_DIR "/scripts/demo_session --rounds 3 > " +
        (drive / "s.json").string() + " && " BWSBUILD " " +
        (drive / "Bridgemate" / "Demo.bws").string() + " " + (drive / "s.json").string();
    if (std::system(make.c_str()) != 0) throw std::runtime_error("no demo session");
    fs::copy_file(TALLIX_SOURCE_DIR "/share/SPOOLTEMPL.HTM",
                  drive / "Bridgemate" / "SPOOLTEMPL.HTM");
    fs::copy_file(TALLIX_BINARY_DIR "/share/GridAppendix.xls",
                  drive / "Bridge" / "GridAppendix.xls");
    std::ofstream(drive / "Bridgemate" / "BMProLog.log")
        << FormatDayMonthYear(SystemClock().Now(), '/')
        << " 19:00:01 Opening database C:\\Bridgemate\\Demo.bws\r\n";
    window = std::make_unique<FmTallix>(FmTallixParts{engine,
                                                      host_files,
                                                      paths,
                                                      form,
                                                      dialog,
                                                      transfer,
                                                      clock,
                                                      HostDateFormat{},
                                                      "",
                                                      (drive / "TallixLog.txt").string(),
                                                      {},
                                                      "tallix",
                                                      "qoradu",
                                                      &workbook});
    window->Form_Activate();
  }
  ~DemoWindow() {
    window.reset();
    fs::remove_all(drive);
  }

  fs::path drive;
  files::PathMap paths;
  files::HostFileSystem host_files;
  jet::MdbEngine mdb;
  MappedEngine engine;
  SystemClock clock;
  MemoryForm form;
  MemoryDialog dialog;
  MemoryTransfer transfer;
  std::unique_ptr<FmTallix> window;
};

void BM_PrintAppendixThroughLibreOffice(benchmark::State& state) {
  spreadsheet::OfficeSpreadsheet office(TALLIX_BINARY_DIR "/src/app/tallix_office");
  DemoWindow demo(office);
  for (auto _ : state) {
    try {
      demo.window->PrintAppendix();
    } catch (const RunTimeError& e) {
      state.SkipWithError(("error " + std::to_string(e.Number) + ": " + e.Description).c_str());
      return;
    }
  }
}
BENCHMARK(BM_PrintAppendixThroughLibreOffice)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime();

void BM_FillOnMemoryWorkbook(benchmark::State& state) {
  spreadsheet::MemoryWorkbook workbook;
  DemoWindow demo(workbook);
  const std::string path = demo.paths.ToHost(kAppendixTemplatePath);
  for (auto _ : state) {
    spreadsheet::MemoryWorkbook fresh({{path, {spreadsheet::Sheet{}, spreadsheet::Sheet{}}}});
    PrintAppendix(demo.window->s, fresh, path);
    benchmark::DoNotOptimize(fresh.Printed().size());
  }
}
BENCHMARK(BM_FillOnMemoryWorkbook)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tallix
