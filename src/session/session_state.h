#pragma once
// All working data of the display: one record owned by the window. Every
// field starts zero, empty, false or none.
#include <cstdint>
#include <memory>
#include <string>

#include "core/arrays.h"
#include "core/date_time.h"

namespace tallix {

namespace jet {
class Database;
}
namespace files {
class FileSystem;
class File;
class TextStream;
}  // namespace files
class clsMonitors;
class clsMonitor;

inline constexpr int kMaxBoard = 42;
inline constexpr int kMaxTable = 60;
inline constexpr int kMaxPair = 60;

template <class T>
using BoardTable = FixedArray2<T, 0, kMaxBoard, 0, kMaxTable>;
template <class T>
using PerPair = FixedArray<T, 0, kMaxPair>;
template <class T>
using PerTable = FixedArray<T, 0, kMaxTable>;
template <class T>
using PerBoard = FixedArray<T, 0, kMaxBoard>;

struct SessionState {
  // Session structure, set once at start-up.
  uint8_t NumTables = 0;
  uint8_t NumBoards = 0;
  int16_t PlaysPerBoard = 0;
  uint8_t Top = 0;
  uint8_t NSPairCount = 0;
  bool TwoFields = false;
  std::string SessionTitle;

  // Seating at round 1.
  PerTable<uint8_t> TableNSPair;
  PerTable<uint8_t> TableEWPair;

  // Results by board and table.
  BoardTable<uint8_t> ResultNSPair;
  BoardTable<uint8_t> ResultEWPair;
  BoardTable<int16_t> ResultScore;
  BoardTable<float> NSBoardMP;
  BoardTable<float> EWBoardMP;

  // Matchpoint work data; the work lists hold the board in hand.
  PerBoard<uint8_t> BoardTop;
  PerBoard<bool> BoardScored;
  WorkList<int16_t> ScoreValues;
  WorkList<uint8_t> ScoreCounts;
  WorkList<int16_t> RankedScores;
  WorkList<uint8_t> RankedCounts;
  WorkList<uint8_t> RankedRawMP;
  WorkList<float> RankedMP;

  // Pair names.
  PerPair<std::string> NorthName;
  PerPair<std::string> SouthName;
  PerPair<std::string> NSPairName;
  PerPair<std::string> EastName;
  PerPair<std::string> WestName;
  PerPair<std::string> EWPairName;
  std::string NamesQuery;
  DateTime LastTimeLog;

  // Per-pair totals and ranking order.
  PerPair<float> NSTotalMP;
  PerPair<float> EWTotalMP;
  PerPair<float> NSMaxMP;
  PerPair<float> EWMaxMP;
  PerPair<float> NSPercent;
  PerPair<float> EWPercent;
  WorkList<int16_t> NSRankOrder;
  WorkList<int16_t> EWRankOrder;
  int16_t AppendixNSPair = 0;
  int16_t AppendixEWPair = 0;

  // Round clock.
  int16_t RoundSeconds = 0;
  DateTime RoundStart;
  int16_t SecondsRemaining = 0;
  float RoundMinutes = 0;
  float MinutesLeft = 0;

  // Display and logging settings. FormWidth is 32-bit: a wide primary
  // display measures more than 32767 twips.
  bool LogEnabled = false;
  bool FontSized = false;
  int32_t FormWidth = 0;
  int16_t SecondMonitorWidth = 0;
  int16_t SecondMonitorHeight = 0;
  // Where the display monitor's top-left corner lies on the desktop, in
  // pixels from the primary's.
  int32_t SecondMonitorLeft = 0;
  int32_t SecondMonitorTop = 0;

  // Database and support objects.
  std::shared_ptr<jet::Database> BWSDatabase;
  std::string BWSPath;
  int32_t BWSPathEnd = 0;  // any length a path may have
  std::shared_ptr<files::FileSystem> FileSys;
  std::shared_ptr<files::File> BMLogFile;
  std::shared_ptr<files::TextStream> BMLogStream;
  std::shared_ptr<clsMonitors> MonitorList;
  std::shared_ptr<clsMonitor> CurrentMonitor;
};

}  // namespace tallix
