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
#include "platform/transfer/ftp_transfer.h"

namespace tallix {

class CurlTransfer : public FtpTransfer {
 public:
  CurlTransfer(files::PathMap paths, FtpSettings settings);
  ~CurlTransfer() override;  // abandons an upload in flight at once
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // "put LOCAL REMOTE": LOCAL a Windows path, REMOTE relative to the login
  // folder, missing folders made. Raises error 5 for any other command.
  void Execute(const std::string& url, const std::string& command) override;
  void SetReport(std::function<void(const std::string& line)> report) override;

  bool WaitIdle(std::chrono::milliseconds limit) override;
  UploadOutcome LastOutcome() const override;
  std::string ServerText(const std::string& url) const override;

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
