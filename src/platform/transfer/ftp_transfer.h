#pragma once
// Publishing by FTP: the settings, the outcome of an upload, and the transfer
// control that runs uploads on a thread of its own. The backend over libcurl
// lives in a module of its own (libtallix_ftp.so), loaded only when
// publishing is on, so a run without it never loads the FTP library.
#include <chrono>
#include <string>

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

class FtpTransfer : public Transfer {
 public:
  // Waits until no upload runs or waits; false when `limit` passed first.
  virtual bool WaitIdle(std::chrono::milliseconds limit) = 0;
  virtual UploadOutcome LastOutcome() const = 0;
  // "ftp://HOST:PORT", as the log lines name the server.
  virtual std::string ServerText(const std::string& url) const = 0;
};

}  // namespace tallix
