#include "platform/jet/mdb_engine.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/run_time_error.h"
#include "platform/jet/mdb_reader.h"
#include "platform/jet/query.h"
#include "platform/jet/snapshot.h"

namespace tallix::jet {
namespace {

// A snapshot bigger than this is no session database.
constexpr off_t kLargestFile = off_t{1} << 30;

[[noreturn]] void RaiseCannotOpen(const std::string& path, int error) {
  throw RunTimeError(err::kCannotOpenFile,
                     "Could not open the database file '" + path + "': " + std::strerror(error));
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The whole file as it is now.
std::string ReadWholeFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) RaiseCannotOpen(path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) RaiseCannotOpen(path, errno);
  if (!S_ISREG(st.st_mode)) RaiseCannotOpen(path, EISDIR);
  if (st.st_size > kLargestFile)
    throw RunTimeError(err::kNotADatabase, "The file '" + path + "' is too large for a database");
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) bytes.resize(bytes.size() + 65536);  // it may have grown
    const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseCannotOpen(path, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

// The child's answer: a snapshot or an error, in a plain byte form.
class Writer {
 public:
  void U8(uint8_t v) { out_ += static_cast<char>(v); }
  void U32(uint32_t v) { out_.append(reinterpret_cast<const char*>(&v), 4); }
  void Bytes(const void* p, std::size_t n) { out_.append(static_cast<const char*>(p), n); }
  void Text(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    out_ += s;
  }
  void Put(const Value& v) {
    U8(static_cast<uint8_t>(v.Kind()));
    switch (v.Kind()) {
      case ValueKind::Null:
        break;
      case ValueKind::Flag:
        U8(std::get<bool>(v.Raw()));
        break;
      case ValueKind::Whole:
        Bytes(&std::get<int64_t>(v.Raw()), 8);
        break;
      case ValueKind::Floating:
        Bytes(&std::get<double>(v.Raw()), 8);
        break;
      case ValueKind::Date:
        Bytes(&std::get<DateTime>(v.Raw()).days, 8);
        break;
      case ValueKind::Text:
        Text(std::get<std::string>(v.Raw()));
        break;
    }
  }
  const std::string& str() const { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(const std::string& in) : in_(in) {}
  uint8_t U8() { return static_cast<uint8_t>(*Take(1)); }
  uint32_t U32() { return Fixed<uint32_t>(); }
  std::string Text() {
    const uint32_t n = U32();
    return std::string(Take(n), n);
  }
  Value Get() {
    switch (static_cast<ValueKind>(U8())) {
      case ValueKind::Null:
        return Value();
      case ValueKind::Flag:
        return Value(U8() != 0);
      case ValueKind::Whole:
        return Value(Fixed<int64_t>());
      case ValueKind::Floating:
        return Value(Fixed<double>());
      case ValueKind::Date:
        return Value(DateTime{Fixed<double>()});
      case ValueKind::Text:
        return Value(Text());
    }
    throw std::out_of_range("bad value kind");
  }

 private:
  template <typename T>
  T Fixed() {
    T v;
    std::memcpy(&v, Take(sizeof v), sizeof v);
    return v;
  }
  const char* Take(std::size_t n) {
    if (in_.size() - pos_ < n) throw std::out_of_range("short answer");
    const char* p = in_.data() + pos_;
    pos_ += n;
    return p;
  }
  const std::string& in_;
  std::size_t pos_ = 0;
};

std::string EncodeSnapshot(const TableSnapshot& t) {
  Writer w;
  w.U8(0);
  w.Text(t.name);
  w.U32(static_cast<uint32_t>(t.columns.size()));
  for (const auto& c : t.columns) w.Text(c);
  w.U32(static_cast<uint32_t>(t.rows.size()));
  for (const auto& row : t.rows)
    for (const auto& v : row) w.Put(v);
  return w.str();
}

std::string EncodeError(int number, const std::string& description) {
  Writer w;
  w.U8(1);
  w.U32(static_cast<uint32_t>(number));
  w.Text(description);
  return w.str();
}

TableSnapshot DecodeAnswer(const std::string& answer) {
  Reader r(answer);
  if (r.U8() != 0) {
    const int number = static_cast<int>(r.U32());
    throw RunTimeError(number, r.Text());
  }
  TableSnapshot t;
  t.name = r.Text();
  t.columns.resize(r.U32());
  for (auto& c : t.columns) c = r.Text();
  t.rows.resize(r.U32());
  for (auto& row : t.rows) {
    row.reserve(t.columns.size());
    for (std::size_t i = 0; i < t.columns.size(); ++i) row.push_back(r.Get());
  }
  return t;
}

bool WriteAll(int fd, const std::string& s) {
  std::size_t done = 0;
  while (done < s.size()) {
    const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// What libmdb printed, which it does only when a page made no sense to it.
std::string Warnings(int fd) {
  char buf[512];
  const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  if (n <= 0) return {};
  std::string s(buf, static_cast<std::size_t>(n));
  const auto eol = s.find('\n');
  return s.substr(0, eol);
}

// The child: read, parse, answer, and leave without running the parent's exit code.
[[noreturn]] void ChildRead(int answer_fd, const std::string& path, std::string_view table,
                            const std::vector<std::string>* columns) {
  ::signal(SIGPIPE, SIG_IGN);
  const int warnings = ::memfd_create("jet-warnings", 0);
  if (warnings >= 0) ::dup2(warnings, STDERR_FILENO);
  std::string answer;
  try {
    std::string bytes = ReadWholeFile(path);
    const TableSnapshot snap = ReadMdbTable(bytes, table, columns);
    const std::string said = warnings >= 0 ? Warnings(warnings) : std::string();
    answer = said.empty()
                 ? EncodeSnapshot(snap)
                 : EncodeError(err::kNotADatabase,
                               "Could not read the table '" + std::string(table) + "': " + said +
                                   " (the file is damaged or was being written)");
  } catch (const RunTimeError& e) {
    answer = EncodeError(e.Number, e.Description);
  } catch (const std::exception& e) {
    answer = EncodeError(err::kNotADatabase, std::string("Could not read the table: ") + e.what());
  }
  ::_exit(WriteAll(answer_fd, answer) ? 0 : 1);
}

TableSnapshot ReadIsolated(const std::string& path, std::string_view table,
                           const std::vector<std::string>* columns,
                           std::chrono::milliseconds limit) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    throw RunTimeError(err::kCannotOpenFile, "Could not start reading the database: " +
                                                 std::string(std::strerror(errno)));
  Fd in(fds[0]), out(fds[1]);
  const pid_t pid = ::fork();
  if (pid < 0)
    throw RunTimeError(err::kCannotOpenFile, "Could not start reading the database: " +
                                                 std::string(std::strerror(errno)));
  if (pid == 0) ChildRead(out.get(), path, table, columns);
  out.Reset();

  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string answer;
  bool timed_out = false;
  char buf[65536];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      break;
    }
    pollfd p{in.get(), POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;  // the deadline check above ends it
    const ssize_t n = ::read(in.get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buf, static_cast<std::size_t>(n));
  }
  if (timed_out) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const std::string what = "Could not read the table '" + std::string(table) + "': ";
  const std::string why = " (the file is damaged or was being written)";
  if (timed_out)
    throw RunTimeError(err::kNotADatabase, what + "the reader did not finish within " +
                                               std::to_string(limit.count()) + " ms" + why);
  if (WIFSIGNALED(status))
    throw RunTimeError(err::kNotADatabase,
                       what + "the reader failed (" + strsignal(WTERMSIG(status)) + ")" + why);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.empty())
    throw RunTimeError(err::kNotADatabase, what + "the reader gave no answer" + why);
  try {
    return DecodeAnswer(answer);
  } catch (const std::out_of_range&) {
    throw RunTimeError(err::kNotADatabase, what + "the reader's answer was cut short" + why);
  }
}

class MdbDatabase : public Database {
 public:
  MdbDatabase(std::string path, MdbOptions options) : path_(std::move(path)), options_(options) {}

  std::unique_ptr<Recordset> OpenRecordset(std::string_view source) override {
    if (!IsQueryText(source)) {
      auto snap = std::make_shared<TableSnapshot>(
          ReadIsolated(path_, source, nullptr, options_.time_limit));
      return OpenSnapshot(std::move(snap), nullptr);
    }
    const Query query = ParseQuery(source);
    std::vector<std::string> needed = query.columns;
    if (query.where) needed.push_back(query.where->field);
    auto snap = std::make_shared<TableSnapshot>(ReadIsolated(
        path_, query.table, query.all_columns ? nullptr : &needed, options_.time_limit));
    return OpenSnapshot(std::move(snap), &query);
  }

 private:
  std::string path_;
  MdbOptions options_;
};

}  // namespace

std::shared_ptr<Database> MdbEngine::OpenDatabase(const std::string& path) {
  if (path.empty()) RaiseCannotOpen(path, ENOENT);
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) RaiseCannotOpen(path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) RaiseCannotOpen(path, errno);
  if (!S_ISREG(st.st_mode)) RaiseCannotOpen(path, EISDIR);
  char head[32] = {};
  const ssize_t n = ::pread(fd.get(), head, sizeof head, 0);
  if (n < 0) RaiseCannotOpen(path, errno);
  if (!LooksLikeJet(std::string_view(head, static_cast<std::size_t>(n))))
    throw RunTimeError(err::kNotADatabase, "The file '" + path + "' is not a Jet database");
  return std::make_shared<MdbDatabase>(path, options_);
}

}  // namespace tallix::jet
