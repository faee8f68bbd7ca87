#pragma once
// One table of a Jet file held in memory, parsed by libmdb into an answer.
// Rows that go missing or pages that make no sense are a failed read (3343),
// never a short table. Runs in the process that calls it: the engine calls it
// in a child process (see mdb_engine.h), benchmarks and probes may call it here.
#include <string>
#include <string_view>
#include <vector>

#include "platform/jet/mdb_answer.h"

namespace tallix::jet {

// The table's rows into `out`. `columns` null reads every column; otherwise
// those of these names the table has (ignoring case), in table order. Throws
// RunTimeError: 3343 for a file libmdb cannot read, 3078 when the table is
// absent. `bytes` (the whole file) is parsed in place.
void ReadMdbTable(char* bytes, std::size_t size, std::string_view table,
                  const std::vector<std::string>* columns, AnswerBuilder& out);

// Whether the first bytes of a file are those of a Jet (or ACE) database.
bool LooksLikeJet(std::string_view head);

}  // namespace tallix::jet
