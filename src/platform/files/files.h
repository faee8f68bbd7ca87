#pragma once
// The file object and text stream that discovery uses, and the program's
// Windows paths mapped onto this host.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace tallix::files {

// Maps "C:\Bridgemate\BMProLog.log" to a file of this host: the drive C:
// stands for a folder, backslashes become slashes, and a path component
// that does not exist as written is matched without regard to case (as
// Windows finds C:\BRIDGEMATE\x.BWS as well as C:\Bridgemate\x.bws).
class PathMap {
 public:
  explicit PathMap(std::string drive_c_folder);
  // The Wine prefix's drive_c under the user's home.
  static std::string DefaultDriveC();
  std::string ToHost(std::string_view windows_path) const;
  const std::string& DriveC() const { return drive_c_; }

 private:
  std::string drive_c_;
};

// A stream of single-byte (Windows-1252) text; lines come back as UTF-8.
class TextStream {
 public:
  virtual ~TextStream() = default;
  virtual void Skip(long long characters) = 0;  // a negative count skips nothing
  virtual void SkipLine() = 0;
  virtual std::string ReadLine() = 0;
  virtual bool AtEndOfStream() const = 0;
};

class File {
 public:
  virtual ~File() = default;
  virtual long long Size() const = 0;  // bytes
  virtual std::unique_ptr<TextStream> OpenAsTextStream() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // 53 "File not found" when there is no such file.
  virtual std::shared_ptr<File> GetFile(const std::string& windows_path) = 0;
};

// The host's files, found through a PathMap.
class HostFileSystem : public FileSystem {
 public:
  explicit HostFileSystem(PathMap map) : map_(std::move(map)) {}
  std::shared_ptr<File> GetFile(const std::string& windows_path) override;
  const PathMap& Map() const { return map_; }

 private:
  PathMap map_;
};

// Files held in memory as byte strings, by Windows path (found without
// regard to case, as Windows finds them).
class MemoryFileSystem : public FileSystem {
 public:
  void Put(const std::string& windows_path, std::string bytes);
  std::shared_ptr<File> GetFile(const std::string& windows_path) override;
  int lookups = 0;  // GetFile calls, so a test can tell the log was never looked for

 private:
  std::map<std::string, std::shared_ptr<const std::string>> files_;
};

}  // namespace tallix::files
