// The metrics file as its readers take it: promtool's checker of the
// exposition format and naming practice, and a real node exporter's
// textfile collector, scraped over HTTP. Both tools come from the Debian
// packages prometheus and prometheus-node-exporter; without them these
// cases skip, unless NORTESK_REQUIRE_PROMETHEUS=1 (scripts/test) makes
// them fail.
#include "report/prometheus_metrics.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/backend.h"
#include "support/tool_runner.h"

namespace {

constexpr char kPromtool[] = "/usr/bin/promtool";
constexpr char kNodeExporter[] = "/usr/bin/prometheus-node-exporter";

// Skips (or, when required, fails) a case whose tool is not installed.
#define REQUIRE_TOOL(path)                                                                                   \
  if (access(path, X_OK) != 0) {                                                                            \
    if (std::getenv("NORTESK_REQUIRE_PROMETHEUS") != nullptr) FAIL() << path << " required but missing"; \
    GTEST_SKIP() << path << " is not installed (Debian packages prometheus, prometheus-node-exporter)";    \
  }

TrunkMetrics Sample() {
  TrunkMetrics metrics;
  // A name with the three characters a label value escapes.
  metrics.dataSource = "PBX \"north\" \\ 1\nB";
  metrics.calls = "trunk";
  metrics.peakCalls = 27;
  metrics.linesInstalled = 30;
  metrics.busyHourErlangs = 21.3137;
  metrics.blockedCalls = 3;
  metrics.linesNeeded = 31;
  metrics.dayStart = 1770681600;
  metrics.linesExhausted = 1780272000;
  metrics.lastSuccess = 1770724800;
  return metrics;
}

constexpr char kLabels[] = "{calls=\"trunk\",data_source=\"PBX \\\"north\\\" \\\\ 1\\nB\"}";

// The samples of ours in an exposition text, sorted as the exporter sorts
// its families (labels too).
std::vector<std::string> OurSamples(const std::string& text) {
  std::vector<std::string> samples;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (line.rfind("nortesk_", 0) == 0) samples.push_back(line);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  std::sort(samples.begin(), samples.end());
  return samples;
}

// In name order.
const std::vector<std::string> kExpected = {
    std::string("nortesk_blocked_calls") + kLabels + " 3",
    std::string("nortesk_busy_hour_erlangs") + kLabels + " 21.314",
    std::string("nortesk_day_start_timestamp_seconds") + kLabels + " 1.7706816e+09",
    std::string("nortesk_last_success_timestamp_seconds") + kLabels + " 1.7707248e+09",
    std::string("nortesk_lines_exhausted_timestamp_seconds") + kLabels + " 1.780272e+09",
    std::string("nortesk_lines_needed") + kLabels + " 31",
    std::string("nortesk_trunk_lines_installed") + kLabels + " 30",
    std::string("nortesk_trunk_peak_calls") + kLabels + " 27",
};

class MetricsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("nortesk-metrics-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "nortesk.prom").string();
    std::string error;
    const TrunkMetrics sample = Sample();
    ASSERT_TRUE(WriteTrunkMetrics(path_, {&sample, 1}, &error)) << error;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(MetricsFileTest, PromtoolFindsNoFault) {
  REQUIRE_TOOL(kPromtool);
  ToolOptions options;
  options.program = kPromtool;
  options.arguments = {"check", "metrics"};
  options.frozenClock = "";
  const ToolRun run = RunTool(ReadWholeFile(path_), options);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out + run.err, "");
}

// The exporter gets a listening loopback socket of ours (systemd's socket
// activation), so it needs no port of its own and a request sent at once
// waits in the socket's queue until it serves.
TEST_F(MetricsFileTest, ANodeExporterServesEverySampleWithItsValue) {
  REQUIRE_TOOL(kNodeExporter);
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

  const std::string textfile = "--collector.textfile.directory=" + dir_.string();
  const pid_t exporter = fork();
  ASSERT_GE(exporter, 0);
  if (exporter == 0) {
    dup2(listener, 3);
    const std::string pid = "LISTEN_PID=" + std::to_string(getpid());
    char* const argv[] = {const_cast<char*>(kNodeExporter), const_cast<char*>("--web.systemd-socket"),
                          const_cast<char*>("--collector.disable-defaults"),
                          const_cast<char*>("--collector.textfile"), const_cast<char*>(textfile.c_str()),
                          const_cast<char*>("--log.level=error"), nullptr};
    char* const envp[] = {const_cast<char*>(pid.c_str()), const_cast<char*>("LISTEN_FDS=1"), nullptr};
    execve(kNodeExporter, argv, envp);
    _exit(127);
  }
  close(listener);

  const int client = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(client, 0);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::string request = "GET /metrics HTTP/1.0\r\nHost: localhost\r\n\r\n";
  ASSERT_EQ(write(client, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  const std::string response = Drain(client);
  close(client);
  kill(exporter, SIGTERM);
  int status = 0;
  waitpid(exporter, &status, 0);

  ASSERT_EQ(response.rfind("HTTP/1.0 200", 0), 0u) << response.substr(0, 200);
  EXPECT_EQ(OurSamples(response), kExpected);
  // The collector read the file without complaint.
  EXPECT_NE(response.find("node_textfile_scrape_error 0"), std::string::npos);
}

}  // namespace
