// The time the caller spends in Execute, with the FTP server up, slow and
// down: the refresh pass must never wait for the network.
#include <benchmark/benchmark.h>

#include <fstream>

#include "platform/transfer/curl_transfer.h"
#include "support/ftp_server.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

constexpr const char* kPut = "put C:\\Bridgemate\\RankingTable.htm www/RankingTable.htm";

void RunExecute(benchmark::State& state, double stor_delay, bool up) {
  testing::TempFolder temp("tallix_bench_execute");
  std::filesystem::create_directories(temp.Path() / "c" / "Bridgemate");
  std::ofstream(temp.Path() / "c" / "Bridgemate" / "RankingTable.htm") << std::string(20000, 'x');
  std::unique_ptr<testing::FtpServer> server;
  int port = testing::FreePort();
  if (up) {
    server = std::make_unique<testing::FtpServer>(
        temp.Path() / "home", testing::FtpServer::Options{.stor_delay = stor_delay});
    port = server->Port();
  }
  CurlTransfer inet(files::PathMap((temp.Path() / "c").string()), {.port = port});
  inet.URL = "FTP://127.0.0.1";
  inet.UserName = testing::kFtpUser;
  inet.Password = testing::kFtpPassword;
  for (auto _ : state) inet.Execute("", kPut);
}

void BM_ExecuteServerUp(benchmark::State& state) {
  RunExecute(state, 0, true);
}
void BM_ExecuteServerSlow(benchmark::State& state) {
  RunExecute(state, 2, true);
}
void BM_ExecuteServerDown(benchmark::State& state) {
  RunExecute(state, 0, false);
}

BENCHMARK(BM_ExecuteServerUp)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExecuteServerSlow)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExecuteServerDown)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tallix
