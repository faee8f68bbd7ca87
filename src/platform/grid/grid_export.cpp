// The grid's HTML export: the template's placeholders filled from the rows,
// the page swapped in whole so that no reader sees half of it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>

#include "core/run_time_error.h"
#include "core/text.h"
#include "platform/grid/grid.h"

namespace tallix {
namespace {

constexpr int kExportHtml = 1;
constexpr int kFlagFormatted = 1;
constexpr int kFlagHeadings = 2;
constexpr int kFlagReplace = 4;

using Lookup = std::function<bool(const std::string& name, std::string& value)>;
using RowsSection = std::function<std::string(std::string_view body)>;

// Where the section `name` opened before `from` closes, nested ones of the
// same name skipped; npos when it is never closed.
std::size_t FindClose(std::string_view t, const std::string& name, std::size_t from,
                      std::size_t& close_end) {
  const std::string open1 = "{{#" + name + "}}", open2 = "{{^" + name + "}}";
  const std::string close = "{{/" + name + "}}";
  int depth = 1;
  for (std::size_t at = from; (at = t.find("{{", at)) != std::string_view::npos;) {
    const std::string_view rest = t.substr(at);
    if (rest.starts_with(close)) {
      if (--depth == 0) {
        close_end = at + close.size();
        return at;
      }
      at += close.size();
    } else if (rest.starts_with(open1) || rest.starts_with(open2)) {
      ++depth;
      at += open1.size();
    } else {
      at += 2;
    }
  }
  return std::string_view::npos;
}

std::string Expand(std::string_view t, const Lookup& lookup, const RowsSection* rows) {
  std::string out;
  std::size_t i = 0;
  while (i < t.size()) {
    const std::size_t open = t.find("{{", i);
    if (open == std::string_view::npos) break;
    const std::size_t end = t.find("}}", open + 2);
    if (end == std::string_view::npos) break;
    out.append(t.substr(i, open - i));
    const std::string tag(t.substr(open + 2, end - open - 2));
    i = end + 2;
    std::string value;
    if (!tag.empty() && (tag[0] == '#' || tag[0] == '^')) {
      const std::string name = tag.substr(1);
      std::size_t close_end = 0;
      const std::size_t close = FindClose(t, name, i, close_end);
      const bool known = (rows && name == "rows" && tag[0] == '#') || lookup(name, value);
      if (close == std::string_view::npos || !known) {
        out += "{{" + tag + "}}";  // left as written, so the mistake shows
        continue;
      }
      const std::string_view body = t.substr(i, close - i);
      if (rows && name == "rows" && tag[0] == '#') {
        out += (*rows)(body);
      } else if (value.empty() == (tag[0] == '^')) {
        out += Expand(body, lookup, rows);
      }
      i = close_end;
    } else if (lookup(tag, value)) {
      out += HtmlEscape(value);
    } else {
      out += "{{" + tag + "}}";
    }
  }
  out.append(t.substr(i));
  return out;
}

bool IndexedName(const std::string& name, const char* prefix, int count, int& index) {
  const std::size_t n = std::strlen(prefix);
  if (name.size() <= n || name.compare(0, n, prefix) != 0) return false;
  const std::string digits = name.substr(n);
  if (digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  index = std::stoi(digits);
  return index >= 1 && index <= count;
}

std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &parts);
  return buf;
}

std::string ReadTemplate(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path)) {
    throw RunTimeError(err::kFileNotFound, "File not found: " + path);
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw RunTimeError(err::kFileNotFound, "File not found: " + path);
  return text.str();
}

[[noreturn]] void RaiseWrite(const std::string& path, const char* what, int code) {
  throw RunTimeError(75, "Path/File access error: cannot " + std::string(what) + " " + path + ": " +
                             std::strerror(code));
}

// Writes the page beside the target and renames it over the target.
void ReplaceFile(const std::string& path, const std::string& text) {
  const std::filesystem::path target(path);
  const std::filesystem::path dir =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(temp.data());
  if (fd < 0) RaiseWrite(path, "create a file beside", errno);
  auto fail = [&](const char* what) {
    const int code = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    RaiseWrite(path, what, code);
  };
  // The page is public: readable by the web server, not only by us.
  if (::fchmod(fd, 0644) != 0) fail("set the permissions of");
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("write");
    }
    done += static_cast<std::size_t>(n);
  }
  // No fsync: the page is rewritten on every pass, and the rename alone keeps
  // a reader from ever seeing half of it.
  if (::close(fd) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    RaiseWrite(path, "write", code);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    RaiseWrite(path, "replace", code);
  }
}

}  // namespace

void Grid::ExportToHtml(int type, int flags, const std::string& out_path,
                        const std::string& template_path, const PageValues& values) const {
  if (type != kExportHtml)
    throw RunTimeError(err::kInvalidCall, "Invalid procedure call or argument");
  const std::string page_template = ReadTemplate(template_path);
  if (!(flags & kFlagReplace) && std::filesystem::exists(out_path)) {
    throw RunTimeError(58, "File already exists: " + out_path);
  }

  const std::string generated = LocalTimeText();
  const Lookup page = [&](const std::string& name, std::string& value) {
    int k = 0;
    if (name == "caption")
      value = values.caption;
    else if (name == "twofields")
      value = values.two_fields ? "yes" : "";
    else if (name == "generated")
      value = generated;
    else if (name == "rowcount")
      value = std::to_string(Rows());
    else if (IndexedName(name, "head", ColumnCount(), k))
      value = flags & kFlagHeadings ? Column(k - 1).Caption : "";
    else
      return false;
    return true;
  };
  const RowsSection rows = [&](std::string_view body) {
    std::string out;
    for (int r = 0; r < Rows(); ++r) {
      const Lookup row = [&](const std::string& name, std::string& value) {
        int k = 0;
        if (IndexedName(name, "cell", ColumnCount(), k))
          value = flags & kFlagFormatted ? DisplayText(r, k - 1) : Cell(r, k - 1);
        else if (name == "row")
          value = std::to_string(r + 1);
        else if (name == "parity")
          value = r % 2 == 0 ? "odd" : "even";
        else
          return page(name, value);
        return true;
      };
      out += Expand(body, row, nullptr);
    }
    return out;
  };
  ReplaceFile(out_path, Expand(page_template, page, &rows));
}

}  // namespace tallix
