// Installing: the Debian package made by cpack from the built tree (its
// files and its dependencies, read back with dpkg-deb), and the program run
// from a DESTDIR install on a real session.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "session_files.h"
#include "support/ftp_server.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;
using testing::RunCommand;

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// The files the install puts under the prefix: the program, its window and
// FTP modules and office helper, everything in share/ with the appendix
// template the build made, the README and its pictures.
std::set<std::string> ExpectedFiles() {
  std::set<std::string> files = {"usr/bin/tallix", "usr/lib/tallix/libtallix_window.so",
                                 "usr/lib/tallix/libtallix_ftp.so",
                                 "usr/share/doc/tallix/README.md"};
#ifdef TALLIX_HAS_OFFICE_HELPER
  files.insert("usr/lib/tallix/tallix_office");
#endif
#ifdef TALLIX_HAS_APPENDIX_TEMPLATE
  files.insert("usr/share/tallix/GridAppendix.xls");
#endif
  for (const auto& e : fs::directory_iterator(fs::path(TALLIX_SOURCE_DIR) / "share"))
    files.insert("usr/share/tallix/" + e.path().filename().string());
  for (const auto& e : fs::directory_iterator(fs::path(TALLIX_SOURCE_DIR) / "docs"))
    if (e.path().extension() == ".png")
      files.insert("usr/share/doc/tallix/docs/" + e.path().filename().string());
  return files;
}

TEST(DebianPackage, HoldsTheProgramTemplatesAndReadmeAndDependsOnDebianPackages) {
  testing::TempFolder out("tallix_package");
  const Outcome made = RunCommand("cpack --config " TALLIX_BINARY_DIR "/CPackConfig.cmake -B " +
                                  out.Path().string());
  ASSERT_EQ(made.code, 0) << made.out;
  const std::string arch = Trimmed(RunCommand("dpkg --print-architecture").out);
  const fs::path deb = out.Path() / ("tallix_" TALLIX_VERSION "_" + arch + ".deb");
  ASSERT_TRUE(fs::exists(deb)) << made.out;

  // File list: regular files only, "./usr/bin/tallix" read as "usr/bin/tallix".
  const Outcome listed = RunCommand("dpkg-deb --contents " + deb.string());
  ASSERT_EQ(listed.code, 0) << listed.out;
  std::set<std::string> files;
  std::istringstream lines(listed.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == 'd') continue;
    const auto dot = line.find(" ./");
    ASSERT_NE(dot, std::string::npos) << line;
    files.insert(line.substr(dot + 3));
  }
  EXPECT_EQ(files, ExpectedFiles());

  auto field = [&](const std::string& name) {
    return Trimmed(RunCommand("dpkg-deb --field " + deb.string() + " " + name).out);
  };
  EXPECT_EQ(field("Package"), "tallix");
  EXPECT_EQ(field("Version"), TALLIX_VERSION);
  EXPECT_EQ(field("Architecture"), arch);
  // The office is only recommended: without it the display runs and only the
  // appendix fails.
  EXPECT_EQ(field("Recommends"), "libreoffice-calc");

  // Every dependency is a package Debian's archive knows; the libraries the
  // program links and the parts it loads at run time are all there.
  const std::string depends = field("Depends");
  std::set<std::string> names;
  std::istringstream items(depends);
  for (std::string item; std::getline(items, item, ',');) {
    std::istringstream words(item);
    std::string name;
    words >> name;
    names.insert(name);
  }
  for (const char* needed : {"libc6", "libstdc++6", "libmdb3", "libqt6widgets6", "libcurl4",
                             "qt6-qpa-plugins", "fonts-liberation2", "fonts-dejavu-core"}) {
    EXPECT_EQ(names.count(needed), 1u) << needed << " missing from: " << depends;
  }
  std::string all;
  for (const std::string& name : names) all += " " + name;
  const Outcome known = RunCommand("apt-cache show --no-all-versions" + all);
  EXPECT_EQ(known.code, 0) << known.out;
  for (const std::string& name : names)
    EXPECT_NE(known.out.find("Package: " + name + "\n"), std::string::npos) << name;
}

TEST(Install, TheInstalledProgramRunsOnceOnASession) {
  testing::TempFolder root("tallix_destdir");
  const Outcome installed = RunCommand("DESTDIR=" + root.Path().string() +
                                       " cmake --install " TALLIX_BINARY_DIR " --prefix /usr");
  ASSERT_EQ(installed.code, 0) << installed.out;
  for (const std::string& file : ExpectedFiles())
    EXPECT_TRUE(fs::exists(root.Path() / file)) << file;

  const std::string tallix = (root.Path() / "usr/bin/tallix").string();
#ifdef TALLIX_HAS_OFFICE_HELPER
  // The installed helper finds the office's libraries where Debian puts them.
  const Outcome libraries =
      RunCommand("ldd " + (root.Path() / "usr/lib/tallix/tallix_office").string());
  EXPECT_EQ(libraries.code, 0) << libraries.out;
  EXPECT_EQ(libraries.out.find("not found"), std::string::npos) << libraries.out;
#endif
  EXPECT_EQ(RunCommand(tallix + " --version").out, "tallix " TALLIX_VERSION "\n");

  // The club's set-up: the installed page template copied onto drive C:.
  testing::DriveC drive;
  fs::copy_file(root.Path() / "usr/share/tallix/SPOOLTEMPL.HTM",
                drive.Root() / "Bridgemate/SPOOLTEMPL.HTM", fs::copy_options::overwrite_existing);
  testing::json session = testing::SessionJson(1, "Installed Session 1", {{1, 1, 1, 1, 1, 2}});
  session["PlayerNumbers"] = {testing::Name(1, "N", "Ann Smith", "2026-12-11 19:01:00")};
  session["ReceivedData"] = {testing::Result(1, 1, 1, 1, 1, 1, "N", "4 S", "=")};
  jetwriter::WriteBws(drive.Host("BridgeData/Club/installed.bws"), session);
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
  drive.WriteLog(
      {std::string(today) + " 19:00:00 Opening database C:\\BridgeData\\Club\\installed.bws"});

  // Publishing on: the FTP module is found in lib/tallix/ and uploads the page.
  testing::FtpServer server(root.Path() / "ftp_home", {});
  const Outcome once =
      RunCommand("LC_ALL=C " + tallix + " --once --drive-c " + drive.Root().string() +
                 " --ftp-host 127.0.0.1 --ftp-port " + std::to_string(server.Port()));
  EXPECT_EQ(once.code, 0) << once.out;
  EXPECT_NE(once.out.find("Caption: Rankings:  Installed ; Round 1"), std::string::npos)
      << once.out;
  EXPECT_NE(once.out.find("Upload: done: "), std::string::npos) << once.out;
  EXPECT_NE(drive.ReadPage().find("Ann Smith"), std::string::npos);
  EXPECT_EQ(testing::ReadFile(root.Path() / "ftp_home/www/RankingTable.htm"), drive.ReadPage());
}

}  // namespace
}  // namespace tallix
