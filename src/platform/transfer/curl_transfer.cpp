#include "platform/transfer/curl_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "core/run_time_error.h"

namespace tallix {
namespace {

std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

// "FTP://host" or a bare host; an IPv6 address goes in brackets in a URL.
std::string HostOf(const std::string& url) {
  std::string host = url;
  if (Lower(host.substr(0, 6)) == "ftp://") host = host.substr(6);
  while (!host.empty() && host.back() == '/') host.pop_back();
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  return host;
}

std::string EscapedPath(CURL* easy, const std::string& remote) {
  std::string out;
  std::size_t from = 0;
  while (from <= remote.size()) {
    std::size_t slash = remote.find('/', from);
    if (slash == std::string::npos) slash = remote.size();
    const std::string part = remote.substr(from, slash - from);
    if (!part.empty()) {
      char* escaped = curl_easy_escape(easy, part.c_str(), static_cast<int>(part.size()));
      out += "/" + std::string(escaped ? escaped : "");
      curl_free(escaped);
    }
    from = slash + 1;
  }
  return out;
}

struct Source {
  const std::string* bytes;
  std::size_t at = 0;
};

size_t ReadSource(char* buffer, size_t size, size_t count, void* user) {
  auto* source = static_cast<Source*>(user);
  const std::size_t n = std::min(size * count, source->bytes->size() - source->at);
  std::memcpy(buffer, source->bytes->data() + source->at, n);
  source->at += n;
  return n;
}

std::string ReadWhole(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

long TlsLevel(FtpTls tls) {
  switch (tls) {
    case FtpTls::Off:
      return CURLUSESSL_NONE;
    case FtpTls::Require:
      return CURLUSESSL_ALL;
    case FtpTls::Try:
      break;
  }
  return CURLUSESSL_TRY;
}

}  // namespace

CurlTransfer::CurlTransfer(files::PathMap paths, FtpSettings settings)
    : paths_(std::move(paths)), settings_(std::move(settings)) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  multi_ = curl_multi_init();
  worker_ = std::thread([this] { Work(); });
}

CurlTransfer::~CurlTransfer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.reset();
  }
  changed_.notify_all();
  curl_multi_wakeup(static_cast<CURLM*>(multi_));
  worker_.join();
  curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

void CurlTransfer::Execute(const std::string& url, const std::string& command) {
  std::istringstream words(command);
  std::string verb, local, remote, extra;
  words >> verb >> local >> remote;
  if (Lower(verb) != "put" || local.empty() || remote.empty() || (words >> extra)) {
    throw RunTimeError(err::kInvalidCall, "Invalid procedure call or argument: " + command);
  }
  Job job{url.empty() ? URL : url, UserName, Password, paths_.ToHost(local), remote};
  {
    std::lock_guard lock(mutex_);
    waiting_ = std::move(job);  // an older waiting put is dropped: its page is stale
  }
  changed_.notify_all();
}

void CurlTransfer::SetReport(std::function<void(const std::string& line)> report) {
  std::lock_guard lock(report_mutex_);
  report_ = std::move(report);
}

bool CurlTransfer::WaitIdle(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return !busy_ && !waiting_; });
}

UploadOutcome CurlTransfer::LastOutcome() const {
  std::lock_guard lock(mutex_);
  return last_;
}

std::string CurlTransfer::ServerText(const std::string& url) const {
  return "ftp://" + HostOf(url.empty() ? URL : url) + ":" + std::to_string(settings_.port);
}

void CurlTransfer::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || waiting_; });
    if (stopping_) return;
    const Job job = std::move(*waiting_);
    waiting_.reset();
    busy_ = true;
    lock.unlock();
    const UploadOutcome outcome = Upload(job);
    Tell(job, outcome);
    lock.lock();
    busy_ = false;
    if (!stopping_) last_ = outcome;
    changed_.notify_all();
  }
}

UploadOutcome CurlTransfer::Upload(const Job& job) {
  UploadOutcome outcome;
  outcome.done = true;
  // Read now, not at Execute: the page on disk is always whole and newest.
  const std::string page = ReadWhole(job.local_path, outcome.error);
  if (!outcome.error.empty()) {
    outcome.kind = "page unreadable";
    return outcome;
  }

  CURL* easy = curl_easy_init();
  CURLM* multi = static_cast<CURLM*>(multi_);
  char detail[CURL_ERROR_SIZE] = "";
  Source source{&page};
  const std::string target = "ftp://" + HostOf(job.url) + ":" + std::to_string(settings_.port) +
                             EscapedPath(easy, job.remote_path);
  curl_easy_setopt(easy, CURLOPT_URL, target.c_str());
  curl_easy_setopt(easy, CURLOPT_USERNAME, job.user.c_str());
  curl_easy_setopt(easy, CURLOPT_PASSWORD, job.password.c_str());
  curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(easy, CURLOPT_READFUNCTION, ReadSource);
  curl_easy_setopt(easy, CURLOPT_READDATA, &source);
  curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(page.size()));
  curl_easy_setopt(easy, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR));
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, settings_.connect_timeout_s);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, settings_.stall_timeout_s);
  curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, settings_.stall_timeout_s);
  curl_easy_setopt(easy, CURLOPT_USE_SSL, TlsLevel(settings_.tls));
  if (!settings_.ca_file.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, settings_.ca_file.c_str());
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);

  CURLcode result = CURLE_OK;
  curl_multi_add_handle(multi, easy);
  for (int running = 1; running;) {
    curl_multi_perform(multi, &running);
    if (!running) break;
    curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    std::lock_guard lock(mutex_);
    if (stopping_) {
      result = CURLE_ABORTED_BY_CALLBACK;
      std::strcpy(detail, "abandoned: the program is ending");
      break;
    }
  }
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
    if (message->msg == CURLMSG_DONE) result = message->data.result;
  }
  curl_multi_remove_handle(multi, easy);
  curl_easy_cleanup(easy);

  outcome.ok = result == CURLE_OK;
  if (!outcome.ok) {
    // The detail usually ends with the general text; then it says it all.
    const std::string general = curl_easy_strerror(result);
    outcome.kind = general;
    const std::string specific = detail;
    outcome.error = specific.empty()                              ? general
                    : specific.find(general) != std::string::npos ? specific
                                                                  : general + ": " + specific;
  }
  return outcome;
}

void CurlTransfer::Tell(const Job& job, const UploadOutcome& outcome) {
  std::lock_guard lock(report_mutex_);
  const std::string failure = outcome.ok ? "" : outcome.kind;
  if (failure == told_) return;  // ends as the last one did: already told
  const std::string server = ServerText(job.url);
  std::string line;
  if (outcome.ok) {
    line = "Upload to " + server + " works again";
  } else {
    line = "Upload to " + server + " as " + job.user + " failed: " + outcome.error;
  }
  told_ = failure;
  if (report_) report_(line);
}

}  // namespace tallix
