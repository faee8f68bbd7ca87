// The FTP backend as a module of its own, loaded by the executable only when
// publishing is on (see platform/transfer/ftp_transfer.h).
#include "platform/transfer/curl_transfer.h"

extern "C" __attribute__((visibility("default"))) tallix::FtpTransfer* tallix_make_ftp_transfer(
    const tallix::files::PathMap* paths, const tallix::FtpSettings* settings) {
  return new tallix::CurlTransfer(*paths, *settings);
}
