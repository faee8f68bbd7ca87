#include "platform/files/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/run_time_error.h"
#include "support/temp_folder.h"

namespace tallix::files {
namespace {
namespace fs = std::filesystem;

class TempDriveC : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(root_ / "Bridgemate"); }
  void Write(const fs::path& relative, const std::string& bytes) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << bytes;
  }
  tallix::testing::TempFolder temp_{"tallix_files"};
  const fs::path root_ = temp_.Path();
};

TEST_F(TempDriveC, MapsDriveAndSlashesAndMatchesComponentsWithoutCase) {
  Write("Bridgemate/BMProLog.log", "x");
  Write("BridgeData/Orvel/Club.BWS", "y");
  const PathMap map(root_.string());
  const std::string r = root_.string();
  struct Case {
    std::string windows, host;
  } cases[] = {
      {"C:\\Bridgemate\\BMProLog.log", r + "/Bridgemate/BMProLog.log"},
      {"c:\\BRIDGEMATE\\bmprolog.LOG", r + "/Bridgemate/BMProLog.log"},
      {"C:\\bridgedata\\orvel\\club.bws", r + "/BridgeData/Orvel/Club.BWS"},
      // Missing components keep their spelling so the file can be created.
      {"C:\\bridgemate\\TallixLog.txt", r + "/Bridgemate/TallixLog.txt"},
      {"C:\\New\\Sub\\A.txt", r + "/New/Sub/A.txt"},
      // A path of this host (as a host dialog gives) is matched the same way.
      {r + "/bridgemate/bmprolog.log", r + "/Bridgemate/BMProLog.log"},
      // Nothing climbs out of the drive's folder.
      {"C:\\..\\..\\etc\\passwd", r + "/etc/passwd"},
      {"C:\\Bridgemate\\.\\..\\Bridgemate\\\\BMProLog.log", r + "/Bridgemate/BMProLog.log"},
  };
  for (const Case& c : cases) EXPECT_EQ(map.ToHost(c.windows), c.host) << c.windows;
}

TEST_F(TempDriveC, ExactSpellingWinsOverAnotherCase) {
  Write("Bridgemate/a.bws", "lower");
  Write("Bridgemate/A.bws", "upper");
  const PathMap map(root_.string());
  EXPECT_EQ(map.ToHost("C:\\Bridgemate\\A.bws"), (root_ / "Bridgemate/A.bws").string());
  EXPECT_EQ(map.ToHost("C:\\Bridgemate\\a.BWS"), (root_ / "Bridgemate/A.bws").string());
}

TEST(PathMapDefault, IsTheWinePrefixDriveUnderHome) {
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(PathMap::DefaultDriveC(), std::string(home) + "/.wine/drive_c");
}

// Reads every line of a stream the way discovery walks one.
std::vector<std::string> Lines(TextStream& t) {
  std::vector<std::string> out;
  while (!t.AtEndOfStream()) out.push_back(t.ReadLine());
  return out;
}

TEST_F(TempDriveC, HostFileReadsSizeAndLinesInWindowsText) {
  // CR LF and LF end lines; a lone CR is text; 0xE9 and 0x80 are Windows-1252.
  Write("Bridgemate/BMProLog.log", "one\r\ntwo\nRen\xE9\x80 a\rb\r\n\r\nlast");
  HostFileSystem fs(PathMap(root_.string()));
  auto file = fs.GetFile("C:\\bridgemate\\bmprolog.log");
  EXPECT_EQ(file->Size(), 26);
  auto stream = file->OpenAsTextStream();
  EXPECT_EQ(Lines(*stream),
            (std::vector<std::string>{"one", "two", "Ren\xC3\xA9\xE2\x82\xAC a\rb", "", "last"}));
  EXPECT_THROW(stream->ReadLine(), RunTimeError);
}

TEST_F(TempDriveC, MissingFileOrFolderIsFileNotFound) {
  HostFileSystem fs(PathMap(root_.string()));
  for (const char* path : {"C:\\Bridgemate\\BMProLog.log", "C:\\Bridgemate"}) {
    try {
      fs.GetFile(path);
      ADD_FAILURE() << path;
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.Number, 53) << path;
    }
  }
}

TEST(TextStream, SkipAndSkipLineLandOnWholeLines) {
  MemoryFileSystem fs;
  fs.Put("C:\\Bridgemate\\BMProLog.log", "abc\r\ndefgh\r\nij\nk");
  auto file = fs.GetFile("c:\\BRIDGEMATE\\BMPROLOG.LOG");
  ASSERT_EQ(file->Size(), 16);
  struct Case {
    long long skip;
    std::vector<std::string> rest;
  } cases[] = {
      {-5, {"defgh", "ij", "k"}},  // a negative skip stays at the start
      {0, {"defgh", "ij", "k"}},
      {4, {"defgh", "ij", "k"}},  // inside the first CR LF
      {5, {"ij", "k"}},           // at a line's start the whole line is skipped
      {13, {"k"}},
      {15, {}},    // in the last line
      {1000, {}},  // past the end
  };
  for (const Case& c : cases) {
    auto t = file->OpenAsTextStream();
    t->Skip(c.skip);
    t->SkipLine();
    EXPECT_EQ(Lines(*t), c.rest) << c.skip;
  }
  auto t = file->OpenAsTextStream();
  t->Skip(2);
  EXPECT_EQ(t->ReadLine(), "c");
  EXPECT_THROW(fs.GetFile("C:\\Bridgemate\\Other.log"), RunTimeError);
}

}  // namespace
}  // namespace tallix::files
