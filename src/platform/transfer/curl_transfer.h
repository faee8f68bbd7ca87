#pragma once
// The transfer control over libcurl: one worker thread uploads; a put that
// comes while an upload runs waits, replacing any older waiting put, so the
// newest page wins and nothing queues up. Execute returns at once.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/files/files.h"
#include "platform/transfer/transfer.h"

namespace tallix {

enum class FtpTls { Off, Try, Require };

struct FtpSettings {
  int port = 21;
  FtpTls tls = FtpTls::Try;
  std::string ca_file = {};  // "" for the system's certificate authorities
  long connect_timeout_s = 15;
  long stall_timeout_s = 30;  // a transfer that moves nothing this long is abandoned
};

// What became of the newest upload.
struct UploadOutcome {
  bool done = false;  // false while none has ended
  bool ok = false;
  std::string error;  // the library's error text when it failed
  std::string kind;   // the failure without its particulars (times, counts)
};

class CurlTransfer : public Transfer {
 public:
  CurlTransfer(files::PathMap paths, FtpSettings settings);
  ~CurlTransfer() override;  // abandons an upload in flight at once
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // "put LOCAL REMOTE": LOCAL a Windows path, REMOTE relative to the login
  // folder, missing folders made. Raises error 5 for any other command.
  void Execute(const std::string& url, const std::string& command) override;
  void SetReport(std::function<void(const std::string& line)> report) override;

  // Waits until no upload runs or waits; false when `limit` passed first.
  bool WaitIdle(std::chrono::milliseconds limit);
  UploadOutcome LastOutcome() const;
  // "ftp://HOST:PORT", as the log lines name the server.
  std::string ServerText(const std::string& url) const;

 private:
  struct Job {
    std::string url, user, password, local_path, remote_path;
  };
  void Work();
  UploadOutcome Upload(const Job& job);
  void Tell(const Job& job, const UploadOutcome& outcome);

  files::PathMap paths_;
  FtpSettings settings_;
  void* multi_ = nullptr;  // CURLM*, woken to abandon an upload

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Job> waiting_;
  bool busy_ = false;
  bool stopping_ = false;
  UploadOutcome last_;

  std::mutex report_mutex_;
  std::function<void(const std::string&)> report_;
  std::string told_;  // the kind of failure last told, "" while uploads work

  std::thread worker_;
};

}  // namespace tallix
