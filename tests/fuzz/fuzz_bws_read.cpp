// The whole read of a session file from its bytes, as the program reads it:
// through the reader process, every table the display uses.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/run_time_error.h"
#include "core/value.h"
#include "platform/jet/mdb_engine.h"

namespace {

const std::string& Path() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("tallix_fuzz_" + std::to_string(::getpid()) + ".bws"))
                                      .string();
  return path;
}

void Write(const uint8_t* data, size_t size) {
  std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Write(data, size);
  try {
    auto db = tallix::jet::MdbEngine().OpenDatabase(Path());
    struct Read {
      const char* source;
      std::vector<const char*> fields;
    } reads[] = {
        {"Section", {"Tables", "Description"}},
        {"RoundData", {"Table", "Round", "NSPair", "EWPair", "LowBoard", "HighBoard"}},
        {"Select Direction, Table, Name, TimeLog From PlayerNumbers Where TimeLog >= "
         "#12/30/1899 00:00:00#",
         {"Direction", "Table", "Name", "TimeLog"}},
        {"ReceivedData",
         {"Board", "Table", "Round", "PairNS", "PairEW", "NS/EW", "Contract", "Result", "Remarks",
          "Erased"}},
    };
    for (const Read& read : reads) {
      try {
        auto rs = db->OpenRecordset(read.source);
        while (!rs->Eof()) {
          for (const char* field : read.fields) (void)tallix::Describe(rs->Field(field));
          rs->MoveNext();
        }
        rs->Close();
      } catch (const tallix::RunTimeError&) {
      }
    }
  } catch (const tallix::RunTimeError&) {
  }
  std::filesystem::remove(Path());
  return 0;
}
