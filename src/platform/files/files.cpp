#include "platform/files/files.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix::files {
namespace fs = std::filesystem;

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = c == '/' ? '\\' : Lower(c);
  return out;
}

// The entry of `folder` named `name` without regard to case; the first in
// name order when several differ only in case, empty when there is none.
std::string FindIgnoringCase(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  std::string best;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (SameIgnoringCase(entry, name) && (best.empty() || entry < best)) best = entry;
  }
  return best;
}

[[noreturn]] void RaiseFileNotFound() {
  throw RunTimeError(err::kFileNotFound, "File not found");
}

// A single-byte text stream over any byte stream; positions are bytes.
class ByteTextStream : public TextStream {
 public:
  explicit ByteTextStream(std::unique_ptr<std::istream> in) : in_(std::move(in)) {
    in_->seekg(0, std::ios::end);
    size_ = static_cast<long long>(in_->tellg());
    in_->seekg(0, std::ios::beg);
  }

  void Skip(long long characters) override {
    if (characters <= 0 || AtEndOfStream()) return;
    const long long here = static_cast<long long>(in_->tellg());
    in_->seekg(std::min(size_, here + characters), std::ios::beg);
  }

  void SkipLine() override {
    if (!AtEndOfStream()) in_->ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  }

  std::string ReadLine() override {
    if (AtEndOfStream()) throw RunTimeError(62, "Input past end of file");
    std::string line;
    std::getline(*in_, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Cp1252ToUtf8(line);
  }

  bool AtEndOfStream() const override {
    return !in_->good() || in_->peek() == std::char_traits<char>::eof();
  }

 private:
  std::unique_ptr<std::istream> in_;
  long long size_ = 0;
};

class HostFile : public File {
 public:
  explicit HostFile(fs::path path) : path_(std::move(path)) {}
  long long Size() const override {
    std::error_code ec;
    const auto n = fs::file_size(path_, ec);
    if (ec) RaiseFileNotFound();
    return static_cast<long long>(n);
  }
  std::unique_ptr<TextStream> OpenAsTextStream() override {
    auto in = std::make_unique<std::ifstream>(path_, std::ios::binary);
    if (!*in) throw RunTimeError(70, "Permission denied");
    return std::make_unique<ByteTextStream>(std::move(in));
  }

 private:
  fs::path path_;
};

class MemoryFile : public File {
 public:
  explicit MemoryFile(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
  long long Size() const override { return static_cast<long long>(bytes_->size()); }
  std::unique_ptr<TextStream> OpenAsTextStream() override {
    return std::make_unique<ByteTextStream>(std::make_unique<std::istringstream>(*bytes_));
  }

 private:
  std::shared_ptr<const std::string> bytes_;
};

}  // namespace

PathMap::PathMap(std::string drive_c_folder) : drive_c_(std::move(drive_c_folder)) {}

std::string PathMap::DefaultDriveC() {
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.wine/drive_c";
}

std::string PathMap::ToHost(std::string_view windows_path) const {
  std::string path(windows_path);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  fs::path root;
  std::string_view rest = path;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    // Other drives sit beside drive C:, as in a Wine prefix.
    root = Lower(path[0]) == 'c'
               ? fs::path(drive_c_)
               : fs::path(drive_c_).parent_path() / ("drive_" + std::string(1, Lower(path[0])));
    rest.remove_prefix(2);
  } else if (!path.empty() && path[0] == '/') {
    root = "/";
  }

  // Components are matched one by one; "." and ".." never climb above the
  // drive's folder, as C:\.. is C:\ on Windows.
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    const std::size_t slash = std::min(rest.find('/', start), rest.size());
    const std::string part(rest.substr(start, slash - start));
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  fs::path host = root;
  bool found_so_far = true;
  for (const std::string& part : parts) {
    std::error_code ec;
    if (found_so_far && !fs::exists(host / part, ec)) {
      const std::string match = FindIgnoringCase(host.empty() ? fs::path(".") : host, part);
      if (!match.empty()) {
        host /= match;
        continue;
      }
      found_so_far = false;  // nothing further down can exist either
    }
    host /= part;
  }
  return host.string();
}

std::shared_ptr<File> HostFileSystem::GetFile(const std::string& windows_path) {
  fs::path host = map_.ToHost(windows_path);
  std::error_code ec;
  if (!fs::is_regular_file(host, ec)) RaiseFileNotFound();
  return std::make_shared<HostFile>(std::move(host));
}

void MemoryFileSystem::Put(const std::string& windows_path, std::string bytes) {
  files_[Folded(windows_path)] = std::make_shared<const std::string>(std::move(bytes));
}

std::shared_ptr<File> MemoryFileSystem::GetFile(const std::string& windows_path) {
  ++lookups;
  const auto it = files_.find(Folded(windows_path));
  if (it == files_.end()) RaiseFileNotFound();
  return std::make_shared<MemoryFile>(it->second);
}

}  // namespace tallix::files
