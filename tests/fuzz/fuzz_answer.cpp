// The reader process's answer, as the program decodes it: bytes that are no
// answer are refused, never read past.
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "core/run_time_error.h"
#include "core/value.h"
#include "platform/jet/mdb_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto bytes = std::make_unique<char[]>(size + 1);
  if (size > 0) std::memcpy(bytes.get(), data, size);
  try {
    const auto table = tallix::jet::ParseAnswer(std::move(bytes), size);
    // Rows without columns take no bytes, so their count says nothing.
    const std::size_t rows = table->Columns().empty() ? 0 : table->RowCount();
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t c = 0; c < table->Columns().size(); ++c) {
        (void)tallix::Describe(table->At(r, c));
      }
    }
  } catch (const tallix::RunTimeError&) {
  } catch (const std::out_of_range&) {
  }
  return 0;
}
