// The control software's log as discovery reads it: any bytes, any length.
#include <cstdint>
#include <string>

#include "app/discovery.h"
#include "core/run_time_error.h"
#include "platform/files/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tallix::files::MemoryFileSystem fs;
  fs.Put("C:\\Bridgemate\\BMProLog.log", std::string(reinterpret_cast<const char*>(data), size));
  tallix::MemoryDialog dialog;
  dialog.files_to_choose = {""};
  tallix::ManualClock clock(tallix::MakeDateTime(2026, 12, 11, 19, 30, 0));
  tallix::SessionState s;
  try {
    tallix::FindDatabase(s, "", fs, dialog, clock, '/');
  } catch (const tallix::RunTimeError&) {
  }
  return 0;
}
