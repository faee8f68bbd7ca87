#pragma once
// FTP servers on loopback for the upload tests: pyftpdlib (plain, with the
// real user name and password) and vsftpd (TLS with a certificate made here).
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace tallix::testing {

inline const char* kFtpUser = "127.0.0.1|tallix";
inline const char* kFtpPassword = "qoradu";

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A listening socket on 127.0.0.1 that never answers: connections complete
// in the kernel and then hear nothing.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, 16);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// True when a server on `port` sends its "220" greeting.
inline bool Greets(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  timeval limit{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  char reply[4] = "";
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                  ::recv(fd, reply, 3, MSG_WAITALL) == 3 && std::string(reply) == "220";
  ::close(fd);
  return ok;
}

// A port that was free a moment ago.
inline int FreePort() {
  SilentServer probe;
  return probe.Port();
}

// pyftpdlib serving `root` as the home of one user.
class FtpServer {
 public:
  struct Options {
    std::string password = kFtpPassword;
    int port = 0;           // 0: a free one
    double stor_delay = 0;  // seconds the server waits before taking each upload
  };
  FtpServer(const std::filesystem::path& root, Options o) : root_(root) {
    std::filesystem::create_directories(root);
    std::vector<std::string> argv = {
        "/usr/bin/python3", std::string(TALLIX_SOURCE_DIR) + "/tests/support/ftp_server.py",
        "--root",           root.string(),
        "--user",           kFtpUser,
        "--password",       o.password,
        "--port",           std::to_string(o.port),
        "--stor-delay",     std::to_string(o.stor_delay)};
    process_ = std::make_unique<ChildProcess>(argv, (log_.Path() / "server.out").string());
    if (!Eventually([&] { return Output().find("port ") != std::string::npos; },
                    std::chrono::seconds(20))) {
      throw std::runtime_error("the FTP server did not start: " + Output());
    }
    const std::string out = Output();
    port_ = std::stoi(out.substr(out.find("port ") + 5));
  }
  int Port() const { return port_; }
  std::string Output() const { return process_->Output(); }
  // Whole files received at `relative` under the root.
  int Received(const std::string& relative) const {
    return Occurrences(Output(), "received " + (root_ / relative).string() + "\n");
  }
  void Stop() {
    process_->Signal(SIGTERM);
    process_->Wait(std::chrono::seconds(10));
  }

 private:
  std::filesystem::path root_;
  TempFolder log_{"tallix_ftp_server"};
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

// vsftpd with TLS offered, any user name let in (the credentials are the
// plain server's to check). Needs root for its PAM service; Usable() says
// whether it could start.
class TlsFtpServer {
 public:
  explicit TlsFtpServer(const std::filesystem::path& root) : root_(root) {
    if (::geteuid() != 0 || !std::filesystem::exists("/usr/sbin/vsftpd")) {
      why_not_ = "needs root and /usr/sbin/vsftpd";
      return;
    }
    const auto dir = folder_.Path();
    std::filesystem::create_directories(root);
    // The server writes as the system's ftp user, who must reach the folder.
    std::filesystem::permissions(root, std::filesystem::perms::all);
    for (auto up = root.parent_path();
         up.has_relative_path() && up != std::filesystem::temp_directory_path();
         up = up.parent_path()) {
      std::filesystem::permissions(up, std::filesystem::perms::others_exec,
                                   std::filesystem::perm_options::add);
    }
    std::filesystem::create_directories(dir / "empty");
    const std::string cert = (dir / "cert.pem").string(), key = (dir / "key.pem").string();
    if (std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                     "-addext subjectAltName=IP:127.0.0.1 -keyout " +
                     key + " -out " + cert + " >/dev/null 2>&1")
                        .c_str()) != 0) {
      why_not_ = "openssl could not make a certificate";
      return;
    }
    port_ = FreePort();
    // A short name of letters, digits and dashes: PAM took no longer one here.
    service_ = "tallix-ftp-" + std::to_string(::getpid()) + "-" + std::to_string(port_);
    std::ofstream(pam_path()) << "auth required pam_permit.so\naccount required pam_permit.so\n";
    const std::string conf = (dir / "vsftpd.conf").string();
    std::ofstream(conf) << "listen=YES\nlisten_address=127.0.0.1\nlisten_port=" << port_
                        << "\nbackground=NO\nseccomp_sandbox=NO\nanonymous_enable=NO\n"
                           "local_enable=YES\nwrite_enable=YES\nguest_enable=YES\n"
                           "guest_username=ftp\nvirtual_use_local_privs=YES\nlocal_root="
                        << root.string() << "\npam_service_name=" << service_
                        << "\nssl_enable=YES\nrsa_cert_file=" << cert
                        << "\nrsa_private_key_file=" << key
                        << "\nrequire_ssl_reuse=NO\nforce_local_logins_ssl=NO\n"
                           "force_local_data_ssl=NO\nsecure_chroot_dir="
                        << (dir / "empty").string() << "\nvsftpd_log_file=" << log_path()
                        << "\nxferlog_enable=YES\nlog_ftp_protocol=YES\n";
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{"/usr/sbin/vsftpd", conf},
                                              (dir / "vsftpd.out").string());
    // Ready once it answers a connection with its greeting.
    const bool up = Eventually([&] { return Greets(port_); }, std::chrono::seconds(10));
    if (!up) why_not_ = "vsftpd did not start: " + process_->Output();
  }
  ~TlsFtpServer() {
    process_.reset();
    if (!service_.empty()) std::filesystem::remove(pam_path());
  }
  const std::string& WhyNot() const { return why_not_; }
  int Port() const { return port_; }
  std::string CertFile() const { return (folder_.Path() / "cert.pem").string(); }
  std::string Log() const {
    std::ifstream in(log_path());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string pam_path() const { return "/etc/pam.d/" + service_; }
  std::string log_path() const { return (folder_.Path() / "vsftpd.log").string(); }
  std::filesystem::path root_;
  TempFolder folder_{"tallix_vsftpd"};
  std::string service_, why_not_;
  std::unique_ptr<ChildProcess> process_;
  int port_ = 0;
};

}  // namespace tallix::testing
