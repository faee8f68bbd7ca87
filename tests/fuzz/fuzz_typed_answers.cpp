// The operator's typed answers to the input boxes (colour, minutes left,
// minutes per round), then a pass that draws the clock from them.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/structure_loading.h"
#include "core/run_time_error.h"
#include "engine/refresh_pass.h"
#include "platform/jet/memory_database.h"
#include "ranking/key_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  static const std::string page =
      (fs::temp_directory_path() / ("tallix_fuzz_keys_" + std::to_string(::getpid()) + ".htm"))
          .string();
  FuzzedDataProvider p(data, size);
  auto db = std::make_shared<tallix::jet::MemoryDatabase>();
  db->AddTable("PlayerNumbers", {"Table", "Direction", "Name", "TimeLog"});
  db->AddTable("ReceivedData", {"Board", "Table", "Round", "PairNS", "PairEW", "NS/EW", "Contract",
                                "Result", "Remarks", "Erased"});
  db->AddRow("ReceivedData", {1, 1, 1, 1, 1, "N", "4 H", "=", tallix::Value(), false});
  db->AddRow("ReceivedData", {1, 2, 1, 2, 2, "N", "4 H", "-1", tallix::Value(), false});
  auto s = std::make_unique<tallix::SessionState>();
  s->BWSDatabase = db;
  s->NamesQuery = tallix::kNamesQuery;
  s->NumTables = 2, s->NumBoards = 1, s->PlaysPerBoard = 2, s->Top = 2, s->NSPairCount = 2;
  s->TwoFields = true;
  s->TableNSPair(1) = 1, s->TableEWPair(1) = 1, s->TableNSPair(2) = 2, s->TableEWPair(2) = 2;
  s->RoundSeconds = 900;
  s->LogEnabled = true;

  tallix::MemoryForm form;
  tallix::Grid grid;
  tallix::PictureBox remain;
  tallix::MemoryDialog dialog;
  tallix::Timer timer;
  tallix::MemoryTransfer inet;
  tallix::MemoryLog log;
  tallix::ManualClock clock(tallix::MakeDateTime(2026, 12, 11, 19, 30, 0));
  s->RoundStart = clock.Now();
  tallix::KeyContext keys{*s, form, grid, remain, dialog, clock, log, [] {}};
  tallix::RefreshContext pass{
      *s,   form, grid, remain, timer, inet, log, clock, TALLIX_SOURCE_DIR "/share/SPOOLTEMPL.HTM",
      page, {}};
  // Alt with F2, F5, F7, F11, F12: the keys that switch or ask.
  const int16_t kKeys[] = {0x71, 0x74, 0x76, 0x7A, 0x7B};
  while (p.remaining_bytes() > 0) {
    const int16_t key = p.PickValueInArray(kKeys);
    form.answers = {p.ConsumeRandomLengthString(24)};
    try {
      tallix::GridRank_KeyDown(key, 4, keys);
    } catch (const tallix::RunTimeError&) {
    }
    clock.Advance(p.ConsumeIntegralInRange<int>(0, 100000));
    timer.SetEnabled(false);
    tallix::GetBWSData(pass);
    if (!timer.Enabled()) std::abort();
  }
  fs::remove(page);
  return 0;
}
