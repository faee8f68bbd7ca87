// Builds a Bridgemate-style session database (.bws, Jet 4) from a JSON
// description, and appends rows to one, as the terminals' control software does.
//
// JSON: {"Section": [{"ID": 1, "Letter": "A", ...}, ...], "RoundData": [...],
// "PlayerNumbers": [...], "ReceivedData": [...]}. A table may be absent (no
// rows); a column missing from a row, or null, is Null. Long columns take
// integers, Text columns strings (UTF-8), Boolean columns true/false, DateTime
// columns "YYYY-MM-DD HH:MM:SS". Unknown tables or columns are errors.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "jet_writer.h"

namespace tallix::jetwriter {

// The four tables with their columns, as the session database has them.
const std::vector<TableDef>& BwsTables();

// Creates (or replaces) `path` with all four tables and the rows of `session`.
// Throws JetError on a bad description; nothing is written then.
void WriteBws(const std::string& path, const nlohmann::json& session);

// Appends the rows of `rows` (same form) to the tables of an existing file, in
// place. Throws JetError on a bad description; nothing is written then.
void AppendBws(const std::string& path, const nlohmann::json& rows);

// The rows of one table of a description, as the writer takes them.
std::vector<Row> BwsRows(const TableDef& table, const nlohmann::json& rows);

}  // namespace tallix::jetwriter
