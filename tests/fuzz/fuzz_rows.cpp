// A refresh pass over hostile row values: names, contracts, results,
// remarks and numbers of any kind. The pass never escapes with an error,
// always re-arms the timer, and every cell it keeps fits the arrays.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/structure_loading.h"
#include "engine/refresh_pass.h"
#include "platform/jet/memory_database.h"

namespace {

using tallix::Value;

const char* const kTexts[] = {"4 H",        "3 NTxx", "PASS", "pass",    "7 Nxx", "=",
                              "+1",         "-13",    "+",    "60%-40%", "%",     "9%",
                              "Not played", "N",      "E",    "S",       "W",     ""};

Value Hostile(FuzzedDataProvider& p) {
  switch (p.ConsumeIntegralInRange<int>(0, 6)) {
    case 0:
      return Value();
    case 1:
      return Value(p.ConsumeIntegralInRange<int64_t>(-2, 70));
    case 2:
      return Value(p.ConsumeIntegral<int64_t>());
    case 3:
      return Value(p.ConsumeFloatingPoint<double>());
    case 4:
      return Value(p.PickValueInArray(kTexts));
    case 5:
      return Value(p.ConsumeBool());
    default:
      return Value(p.ConsumeRandomLengthString(12));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  static const std::string page =
      (fs::temp_directory_path() / ("tallix_fuzz_" + std::to_string(::getpid()) + ".htm")).string();
  FuzzedDataProvider p(data, size);
  auto db = std::make_shared<tallix::jet::MemoryDatabase>();
  db->AddTable("PlayerNumbers", {"Table", "Direction", "Name", "TimeLog"});
  db->AddTable("ReceivedData", {"ID", "Board", "Table", "Round", "PairNS", "PairEW", "NS/EW",
                                "Contract", "Result", "Remarks", "Erased"});
  auto s = std::make_unique<tallix::SessionState>();
  s->BWSDatabase = db;
  s->NamesQuery = tallix::kNamesQuery;
  // A structure as start-up could have read it.
  s->NumTables = p.ConsumeIntegralInRange<uint8_t>(0, 60);
  s->NumBoards = p.ConsumeIntegralInRange<uint8_t>(0, 42);
  s->PlaysPerBoard = p.ConsumeIntegralInRange<int16_t>(0, 60);
  s->Top = static_cast<uint8_t>(s->PlaysPerBoard > 0 ? (s->PlaysPerBoard - 1) * 2 : 0);
  s->TwoFields = p.ConsumeBool();
  for (int t = 1; t <= s->NumTables; ++t) {
    s->TableNSPair(t) = p.ConsumeIntegralInRange<uint8_t>(0, 60);
    s->TableEWPair(t) = p.ConsumeIntegralInRange<uint8_t>(0, 60);
    if (s->TableNSPair(t) != 0) ++s->NSPairCount;
  }
  s->RoundSeconds = 900;
  s->LogEnabled = true;
  const int names = p.ConsumeIntegralInRange(0, 8);
  for (int i = 0; i < names; ++i) {
    db->AddRow("PlayerNumbers", {Hostile(p), Hostile(p), Hostile(p),
                                 Value(tallix::DateTime{p.ConsumeFloatingPoint<double>()})});
  }
  while (p.remaining_bytes() > 0) {
    db->AddRow("ReceivedData",
               {Hostile(p), Hostile(p), Hostile(p), Hostile(p), Hostile(p), Hostile(p), Hostile(p),
                Hostile(p), Hostile(p), Hostile(p), Hostile(p)});
  }

  tallix::MemoryForm form;
  tallix::Grid grid;
  tallix::PictureBox remain;
  tallix::Timer timer;
  tallix::MemoryTransfer inet;
  tallix::MemoryLog log;
  tallix::ManualClock clock(tallix::MakeDateTime(2026, 12, 11, 19, 30, 0));
  tallix::RefreshContext c{
      *s,   form, grid, remain, timer, inet, log, clock, TALLIX_SOURCE_DIR "/share/SPOOLTEMPL.HTM",
      page, {}};
  for (int pass = 0; pass < 2; ++pass) {
    timer.SetEnabled(false);
    tallix::GetBWSData(c);
    if (!timer.Enabled()) std::abort();
  }
  fs::remove(page);
  return 0;
}
