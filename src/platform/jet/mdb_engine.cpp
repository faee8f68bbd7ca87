#include "platform/jet/mdb_engine.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/run_time_error.h"
#include "platform/jet/mdb_answer.h"
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
  Fd& operator=(Fd&& o) noexcept {
    Reset();
    fd_ = std::exchange(o.fd_, -1);
    return *this;
  }
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The whole file as it is now, in memory kept from one read to the next.
class FileBuffer {
 public:
  char* data() { return data_.get(); }
  std::size_t size() const { return size_; }

  void Read(const std::string& path) {
    size_ = 0;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) RaiseCannotOpen(path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) RaiseCannotOpen(path, errno);
    if (!S_ISREG(st.st_mode)) RaiseCannotOpen(path, EISDIR);
    if (st.st_size > kLargestFile)
      throw RunTimeError(err::kNotADatabase, "The file '" + path + "' is too large for a database");
    Reserve(static_cast<std::size_t>(st.st_size) + 1);  // one byte more shows the end at once
    for (;;) {
      if (size_ == capacity_) Reserve(capacity_ + 65536);  // it has grown
      const ssize_t n = ::read(fd.get(), data_.get() + size_, capacity_ - size_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) RaiseCannotOpen(path, errno);
      if (n == 0) break;
      size_ += static_cast<std::size_t>(n);
    }
  }

 private:
  void Reserve(std::size_t n) {
    if (n <= capacity_) return;
    std::unique_ptr<char[]> bigger(new char[n]);
    if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_);
    data_ = std::move(bigger);
    capacity_ = n;
  }

  std::unique_ptr<char[]> data_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
};

// A request, in a plain byte form.
class Writer {
 public:
  void U8(uint8_t v) { out_ += static_cast<char>(v); }
  void U32(uint32_t v) { out_.append(reinterpret_cast<const char*>(&v), 4); }
  void Bytes(const void* p, std::size_t n) { out_.append(static_cast<const char*>(p), n); }
  void Text(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    out_ += s;
  }
  const std::string& str() const { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  uint8_t U8() { return static_cast<uint8_t>(*Take(1)); }
  uint32_t U32() { return Fixed<uint32_t>(); }
  std::string Text() {
    const uint32_t n = U32();
    return std::string(Take(n), n);
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
  std::string_view in_;
  std::size_t pos_ = 0;
};

bool SendAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t k = ::send(fd, p, n, MSG_NOSIGNAL);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    p += k;
    n -= static_cast<std::size_t>(k);
  }
  return true;
}

// A message is its length, then its bytes.
bool SendMessage(int fd, const std::string& message) {
  const uint32_t n = static_cast<uint32_t>(message.size());
  return SendAll(fd, reinterpret_cast<const char*>(&n), 4) &&
         SendAll(fd, message.data(), message.size());
}

// Blocking read of exactly n bytes; false at end of stream.
bool ReceiveAll(int fd, char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t k = ::recv(fd, p, n, 0);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    p += k;
    n -= static_cast<std::size_t>(k);
  }
  return true;
}

struct Request {
  std::string path;
  std::string table;
  bool all_columns = true;
  std::vector<std::string> columns;
  // Parse the file as the reader last read it instead of reading it again.
  bool same_file = false;
};

std::string EncodeRequest(const Request& r) {
  Writer w;
  w.Text(r.path);
  w.Text(r.table);
  w.U8(r.all_columns);
  w.U32(static_cast<uint32_t>(r.columns.size()));
  for (const auto& c : r.columns) w.Text(c);
  w.U8(r.same_file);
  return w.str();
}

Request DecodeRequest(const std::string& in) {
  Reader r(in);
  Request q;
  q.path = r.Text();
  q.table = r.Text();
  q.all_columns = r.U8() != 0;
  q.columns.resize(r.U32());
  for (auto& c : q.columns) c = r.Text();
  q.same_file = r.U8() != 0;
  return q;
}

// What tells one state of the file from another: a write changes its size or
// its times, a file put in its place has another inode.
struct FileVersion {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{}, changed{};

  bool operator==(const FileVersion& o) const {
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

std::optional<FileVersion> VersionOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileVersion{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

double Seconds(const timespec& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double RealTimeNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Seconds(now);
}

// What libmdb printed, which it does only when a page made no sense to it.
std::string Warnings(int fd) {
  char buf[512];
  const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  if (n <= 0) return {};
  std::string s(buf, static_cast<std::size_t>(n));
  return s.substr(0, s.find('\n'));
}

// What the reader keeps from one request to the next.
struct ReaderState {
  FileBuffer file;
  bool have_file = false;  // the buffer holds the whole file of the last good read
  AnswerBuilder table;
  std::string message;                   // the answer's first bytes
  std::vector<std::string_view> pieces;  // all of its bytes, message first
};

// The answer to one request, as a message: its length, then its bytes, sent
// from where they lie.
const std::vector<std::string_view>& Serve(const Request& q, int warnings, ReaderState& state) {
  std::string& out = state.message;
  std::vector<std::string_view>& rest = state.pieces;
  out.assign(4, '\0');
  rest.assign(1, {});
  if (warnings >= 0) {
    ::ftruncate(warnings, 0);
    ::lseek(STDERR_FILENO, 0, SEEK_SET);
  }
  try {
    if (!q.same_file || !state.have_file) {
      state.have_file = false;
      state.file.Read(q.path);
      state.have_file = true;
    }
    ReadMdbTable(state.file.data(), state.file.size(), q.table,
                 q.all_columns ? nullptr : &q.columns, state.table);
    const std::string said = warnings >= 0 ? Warnings(warnings) : std::string();
    if (said.empty()) {
      state.table.AppendTo(out, &rest);
    } else {
      state.have_file = false;
      AppendErrorAnswer(out, err::kNotADatabase,
                        "Could not read the table '" + q.table + "': " + said +
                            " (the file is damaged or was being written)");
    }
  } catch (const RunTimeError& e) {
    state.have_file = false;
    out.resize(4);
    rest.resize(1);
    AppendErrorAnswer(out, e.Number, e.Description);
  } catch (const std::exception& e) {
    state.have_file = false;
    out.resize(4);
    rest.resize(1);
    AppendErrorAnswer(out, err::kNotADatabase,
                      std::string("Could not read the table: ") + e.what());
  }
  rest[0] = out;
  std::size_t n = 0;
  for (std::string_view p : rest) n += p.size();
  const uint32_t size = static_cast<uint32_t>(n - 4);
  std::memcpy(out.data(), &size, 4);
  return rest;
}

// Every byte of the pieces, in order.
bool SendPieces(int fd, const std::vector<std::string_view>& pieces) {
  std::vector<iovec> iov;
  for (std::string_view p : pieces)
    if (!p.empty()) iov.push_back({const_cast<char*>(p.data()), p.size()});
  std::size_t first = 0;
  while (first < iov.size()) {
    msghdr msg{};
    msg.msg_iov = iov.data() + first;
    msg.msg_iovlen = std::min<std::size_t>(iov.size() - first, IOV_MAX);
    const ssize_t k = ::sendmsg(fd, &msg, MSG_NOSIGNAL);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    auto sent = static_cast<std::size_t>(k);
    while (first < iov.size() && sent >= iov[first].iov_len) sent -= iov[first++].iov_len;
    if (sent > 0) {
      iov[first].iov_base = static_cast<char*>(iov[first].iov_base) + sent;
      iov[first].iov_len -= sent;
    }
  }
  return true;
}

// The reader process: answers one request after another until the program
// closes its end, and leaves without running the program's exit code.
[[noreturn]] void ServeRequests(int fd) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  ::signal(SIGPIPE, SIG_IGN);
  const int warnings = ::memfd_create("jet-warnings", MFD_CLOEXEC);
  if (warnings >= 0) ::dup2(warnings, STDERR_FILENO);
  ReaderState state;
  for (;;) {
    uint32_t n = 0;
    if (!ReceiveAll(fd, reinterpret_cast<char*>(&n), 4)) ::_exit(0);
    std::string request(n, '\0');
    if (!ReceiveAll(fd, request.data(), n)) ::_exit(0);
    if (!SendPieces(fd, Serve(DecodeRequest(request), warnings, state))) ::_exit(0);
  }
}

// Reads tables in a child process, started at the first read and again after
// one that crashed or ran out of time.
class ReaderProcess {
 public:
  ~ReaderProcess() { Stop(); }

  std::shared_ptr<const TableData> Read(const Request& request, std::chrono::milliseconds limit) {
    const std::string what = "Could not read the table '" + request.table + "': ";
    const std::string why = " (the file is damaged or was being written)";
    const std::string message = EncodeRequest(request);
    if (pid_ < 0 || !SendMessage(fd_.get(), message)) {
      Stop();
      Start();
      if (!SendMessage(fd_.get(), message)) {
        Stop();
        throw RunTimeError(err::kNotADatabase, what + "the reader process does not answer");
      }
    }
    std::unique_ptr<char[]> answer;
    std::size_t size = 0;
    const Outcome outcome = Receive(answer, size, std::chrono::steady_clock::now() + limit);
    if (outcome == Outcome::kAnswer) {
      try {
        return ParseAnswer(std::move(answer), size);
      } catch (const std::out_of_range&) {
        Stop();
        throw RunTimeError(err::kNotADatabase, what + "the reader's answer was cut short" + why);
      }
    }
    if (outcome == Outcome::kTimedOut) {
      Stop();
      throw RunTimeError(err::kNotADatabase, what + "the reader did not finish within " +
                                                 std::to_string(limit.count()) + " ms" + why);
    }
    const int status = Stop();
    if (WIFSIGNALED(status))
      throw RunTimeError(err::kNotADatabase,
                         what + "the reader failed (" + strsignal(WTERMSIG(status)) + ")" + why);
    throw RunTimeError(err::kNotADatabase, what + "the reader gave no answer" + why);
  }

 private:
  enum class Outcome { kAnswer, kTimedOut, kEnded };

  void Start() {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) RaiseNoReader();
    Fd mine(fds[0]), theirs(fds[1]);
    const int size = 1 << 20;  // a whole answer in few hops
    ::setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    const pid_t pid = ::fork();
    if (pid < 0) RaiseNoReader();
    if (pid == 0) {
      mine.Reset();
      ServeRequests(theirs.get());
    }
    pid_ = pid;
    fd_ = std::move(mine);
  }

  // Ends the reader, whatever it is doing; its exit status.
  int Stop() {
    fd_.Reset();
    int status = 0;
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
    }
    pid_ = -1;
    return status;
  }

  Outcome Receive(std::unique_ptr<char[]>& answer, std::size_t& answer_size,
                  std::chrono::steady_clock::time_point deadline) {
    uint32_t size = 0;
    std::size_t want = 4, got = 0;
    bool have_size = false;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() < 0) return Outcome::kTimedOut;
      pollfd p{fd_.get(), POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(left.count()) + 1);
      if (ready < 0 && errno != EINTR) return Outcome::kEnded;
      if (ready <= 0) continue;
      char* into = have_size ? answer.get() + got : reinterpret_cast<char*>(&size) + got;
      const ssize_t n = ::recv(fd_.get(), into, want - got, MSG_DONTWAIT);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return Outcome::kEnded;
      got += static_cast<std::size_t>(n);
      if (got < want) continue;
      if (have_size) return Outcome::kAnswer;
      have_size = true;
      answer.reset(new char[size]);
      answer_size = want = size;
      got = 0;
      if (want == 0) return Outcome::kAnswer;
    }
  }

  [[noreturn]] static void RaiseNoReader() {
    throw RunTimeError(err::kCannotOpenFile, "Could not start reading the database: " +
                                                 std::string(std::strerror(errno)));
  }

  pid_t pid_ = -1;
  Fd fd_;
};

// Reads tables through the reader process. A pass reads the file once: a
// read that follows within moments of the last and finds the file as it was
// parses the reader's copy again. A table read from a file that has not
// changed since is kept and given out again without asking the reader.
class MdbDatabase : public Database {
 public:
  MdbDatabase(std::string path, MdbOptions options) : path_(std::move(path)), options_(options) {}

  std::unique_ptr<Recordset> OpenRecordset(std::string_view source) override {
    Request request{path_, std::string(source), true, {}};
    if (!IsQueryText(source)) return OpenTable(Read(request), nullptr);
    const Query query = ParseQuery(source);
    request.table = query.table;
    request.all_columns = query.all_columns;
    request.columns = query.columns;
    if (query.where) request.columns.push_back(query.where->field);
    return OpenTable(Read(request), &query);
  }

 private:
  // How long the reader's copy of an unchanged file serves the next read.
  static constexpr double kSameReadSeconds = 0.5;

  struct Kept {
    FileVersion version;
    std::shared_ptr<const TableData> table;
  };

  std::shared_ptr<const TableData> Read(Request& request, bool again = true) {
    request.same_file = false;
    const std::string key = EncodeRequest(request);
    const std::optional<FileVersion> before = VersionOf(path_);
    const auto kept = kept_.find(key);
    if (before && kept != kept_.end() && kept->second.version == *before) return kept->second.table;
    kept_.erase(key);

    const double now = RealTimeNow();
    request.same_file =
        before && copy_ == before && (copy_settled_ || now - copy_read_at_ < kSameReadSeconds);
    std::shared_ptr<const TableData> table;
    if (options_.reads) {
      ++options_.reads->asked;
      options_.reads->file_reads += !request.same_file;
    }
    try {
      table = reader_.Read(request, options_.time_limit);
    } catch (const RunTimeError&) {
      copy_.reset();
      // Read while the file was being written: once more on what is there now.
      if (!again || request.same_file || VersionOf(path_) == before) throw;
      return Read(request, false);
    }
    if (!request.same_file) copy_read_at_ = now;
    const std::optional<FileVersion> after = VersionOf(path_);
    if (!before || after != before) {
      copy_.reset();
      return table;
    }
    copy_ = before;
    // Every write sets the change time to the present, which no one can set back.
    copy_settled_ = copy_read_at_ - Seconds(before->changed) >
                    std::chrono::duration<double>(options_.settled_after).count();
    if (copy_settled_) kept_[key] = {*before, table};
    return table;
  }

  std::string path_;
  MdbOptions options_;
  ReaderProcess reader_;
  std::map<std::string, Kept> kept_;
  std::optional<FileVersion> copy_;  // the file as the reader's copy found it
  double copy_read_at_ = 0;
  bool copy_settled_ = false;
};

}  // namespace

std::shared_ptr<Database> MdbEngine::OpenDatabase(const std::string& path) {
  if (path.empty()) RaiseCannotOpen(path, ENOENT);
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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
