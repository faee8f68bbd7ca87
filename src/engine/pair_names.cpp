#include "engine/pair_names.h"

#include "core/checked.h"
#include "core/date_time.h"
#include "core/text.h"
#include "core/value.h"

namespace tallix {
namespace {

std::string Surname(const std::string& name) {
  return Split(name, ' ').back();
}

}  // namespace

std::string FormatPairName(std::string& first, std::string& second) {
  first = Trim(first);
  second = Trim(second);
  if (first.empty() || second.empty()) return first + " & " + second;
  std::string shown = first;
  const std::string surname = Surname(second);
  if (Surname(first) == surname) shown = Replace(first, " " + surname, "");
  return shown + " & " + second;
}

void ReadPlayerNumbers(SessionState& s, jet::Database& db, Timer& timer) {
  const std::string query = s.NamesQuery + FormatQueryDate(s.LastTimeLog) + "#";
  auto rs = db.OpenRecordset(query);
  while (!rs->Eof()) {
    const Value direction = rs->Field("Direction");
    if (IsEqual(direction, "N") || IsEqual(direction, "S")) {
      const int p = s.TableNSPair(ToInteger(rs->Field("Table")));
      std::string& seat = IsEqual(direction, "N") ? s.NorthName(p) : s.SouthName(p);
      seat = TextOrEmpty(rs->Field("Name"));
      s.NSPairName(p) = FormatPairName(s.NorthName(p), s.SouthName(p));
    } else if (IsEqual(direction, "E") || IsEqual(direction, "W")) {
      const int q = s.TableEWPair(ToInteger(rs->Field("Table")));
      std::string& seat = IsEqual(direction, "E") ? s.EastName(q) : s.WestName(q);
      seat = TextOrEmpty(rs->Field("Name"));
      s.EWPairName(q) = FormatPairName(s.EastName(q), s.WestName(q));
      if (!s.TwoFields) s.NSPairName(q) = s.EWPairName(q);
    }
    s.LastTimeLog = rs->Field("TimeLog").AsDate();
    timer.SetInterval(10000);
    rs->MoveNext();
  }
  rs->Close();
}

void RestoreNorthSouthPairNames(SessionState& s) {
  for (int p = 0; p <= kMaxPair; ++p) {
    const bool named = !s.NorthName(p).empty() || !s.SouthName(p).empty();
    s.NSPairName(p) = named ? FormatPairName(s.NorthName(p), s.SouthName(p)) : std::string();
  }
}

}  // namespace tallix
