// `kalvorden serve` as a shell starts it: the built program in its own
// process, its URL read from standard output, stopped by a signal.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "driver/serve_command.h"
#include "tests/support/run_binary.h"
#include "tests/web/http_test_client.h"

extern char** environ;

namespace {

// The largest run the page takes: five values in each list, 3125 cases.
constexpr const char* kLargestRun =
    "wheel-load=60&wheel-load=70&wheel-load=80&wheel-load=90&wheel-load=100"
    "&top-cover=50&top-cover=60&top-cover=65&top-cover=70&top-cover=75"
    "&paving=1&paving=1.5&paving=2&paving=2.5&paving=3"
    "&fs=150&fs=160&fs=170&fs=180&fs=190&fc=8&fc=9&fc=10&fc=11&fc=12";

using kalvorden::testing::HttpGet;
using kalvorden::testing::HttpReply;
using kalvorden::testing::HttpTestConnection;
using kalvorden::testing::RunBinary;
using kalvorden::testing::RunOptions;
using kalvorden::testing::TempDir;

// The program running `serve` with `arguments`, its standard output on a
// pipe, with `environment` ("NAME=value") added to the test's own. With a
// `shellPrefix`, a shell runs it (`ulimit -f 1; exec "$0" serve ...`).
class ServeProcess {
 public:
  explicit ServeProcess(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environment = {},
                        const std::string& shellPrefix = {}) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
      return;
    }
    std::vector<std::string> words = {KALVORDEN_BINARY, "serve"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    if (!shellPrefix.empty()) {
      words.insert(words.begin(), {"/bin/sh", "-c", shellPrefix + " exec \"$0\" \"$@\""});
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variables = environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      variables.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : variables) {
      envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    output_ = pipeEnds[0];
  }

  ~ServeProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) {
      close(output_);
    }
  }

  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  // The port of the URL on the first line of standard output, waiting at
  // most a minute for it; 0 when the line is not such a URL.
  int Port() {
    std::string line;
    char c = 0;
    pollfd ready = {output_, POLLIN, 0};
    while (poll(&ready, 1, 60000) == 1 && read(output_, &c, 1) == 1 && c != '\n') {
      line += c;
    }
    EXPECT_EQ(line.rfind("http://127.0.0.1:", 0), 0U) << line;
    return line.rfind("http://127.0.0.1:", 0) == 0 ? std::stoi(line.substr(17)) : 0;
  }

  // A field of /proc/PID/status in kB ("VmHWM": the peak resident memory).
  long StatusKilobytes(const std::string& field) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind(field + ":", 0) == 0) {
        return std::stol(line.substr(field.size() + 1));
      }
    }
    return -1;
  }

  // Sends `signal` and returns the exit status (128 + signal if killed, -1
  // if the process has not ended within `limit`, when it is killed).
  int StopWith(int signal, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    kill(pid_, signal);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        return -1;  // the destructor kills it
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
};

// The regular files under `directory` and its subdirectories.
size_t FilesUnder(const std::string& directory) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
    count += entry.is_regular_file() ? 1 : 0;
  }
  return count;
}

}  // namespace

TEST(ServeCommand, PrintsItsUrlServesAndStopsOnEitherSignal) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    ServeProcess server({"--port", "0"});
    const int port = server.Port();
    ASSERT_GT(port, 0);
    EXPECT_EQ(HttpGet(port, "/").status, 200);
    EXPECT_EQ(server.StopWith(signal), 0) << signal;
  }
}

// 20 MB of short header lines in one request: refused with 413 as soon as
// the request limit is reached, and the server's peak resident memory grows
// by less than the request limit's worth of megabytes, not by the flood's.
TEST(ServeCommand, AHeaderFloodIsRefusedWithinBoundedMemory) {
  ServeProcess server({"--port", "0"});
  const int port = server.Port();
  ASSERT_GT(port, 0);
  ASSERT_EQ(HttpGet(port, "/").status, 200);
  const long before = server.StatusKilobytes("VmHWM");
  ASSERT_GT(before, 0);

  HttpTestConnection flood(port);
  std::string lines;
  for (int i = 0; i < 4096; ++i) {
    lines += "a: b\r\n";
  }
  flood.Send("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n");
  for (size_t sent = 0; sent < size_t{20} * 1024 * 1024 && flood.Send(lines);
       sent += lines.size()) {
  }
  EXPECT_EQ(flood.Read(std::chrono::seconds(10)).status, 413);
  const long after = server.StatusKilobytes("VmHWM");
  EXPECT_LT(after - before, 4096) << before << " kB before, " << after << " kB after";
  EXPECT_EQ(HttpGet(port, "/").status, 200);
  EXPECT_EQ(server.StopWith(SIGTERM), 0);
}

// SIGTERM while clients trickle requests, while a 3125-case PDF is being
// designed and while a 36 MB report is half sent: the server ends with
// status 0 within 2 s, the report's client sees its transfer broken (fewer
// bytes than the length it was promised), the PDF's client no answer at
// all, and no scratch file is left.
TEST(ServeCommand, SigtermEndsEveryTransferAndLeavesNothing) {
  const TempDir scratch;
  ServeProcess server({"--port", "0"}, {"TMPDIR=" + scratch.path()});
  const int port = server.Port();
  ASSERT_GT(port, 0);
  const std::string host = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
  std::vector<std::unique_ptr<HttpTestConnection>> tricklers;
  for (int i = 0; i < 20; ++i) {
    tricklers.push_back(std::make_unique<HttpTestConnection>(port));
    tricklers.back()->Send("GET / HT");
  }
  HttpTestConnection report(port);
  report.Send(std::string("GET /download/report.rpt?") + kLargestRun + " HTTP/1.1\r\n" + host);
  const HttpReply head = report.Read(std::chrono::seconds(60), true);  // the head only
  ASSERT_EQ(head.status, 200);
  HttpTestConnection pdf(port);
  pdf.Send(std::string("GET /download/report.pdf?") + kLargestRun + " HTTP/1.1\r\n" + host);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  const auto signalled = std::chrono::steady_clock::now();
  EXPECT_EQ(server.StopWith(SIGTERM, std::chrono::seconds(10)), 0);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count(),
            2.0);
  const long length = std::stol(head.Header("Content-Length"));
  const long received = report.ReadUntilClosed(std::chrono::seconds(5));
  EXPECT_LT(received, length);
  EXPECT_EQ(pdf.Read(std::chrono::seconds(5)).status, 0);
  EXPECT_EQ(FilesUnder(scratch.path()), 0U);
}

// A download that cannot be written (here: past the file size limit the
// shell set) is answered 500 with the reason, and without the path of the
// server's scratch directory.
TEST(ServeCommand, AFailedDownloadShowsNoServerPath) {
  const TempDir scratch;
  ServeProcess server({"--port", "0"}, {"TMPDIR=" + scratch.path()}, "ulimit -f 1;");
  const int port = server.Port();
  ASSERT_GT(port, 0);
  const HttpReply failed = HttpGet(port, std::string("/download/report.rpt?") + kLargestRun);
  EXPECT_EQ(failed.status, 500);
  EXPECT_NE(failed.body.find("File too large"), std::string::npos) << failed.body;
  EXPECT_EQ(failed.body.find(scratch.path()), std::string::npos) << failed.body;
  EXPECT_EQ(failed.body.find("kalvorden-serve"), std::string::npos) << failed.body;
  EXPECT_EQ(server.StopWith(SIGTERM), 0);
  EXPECT_EQ(FilesUnder(scratch.path()), 0U);
}

TEST(ServeCommand, APortInUseEndsWithStatus69) {
  // A port held by a plain listening socket of this test.
  const int holder = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(holder, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(holder, 1), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string port = std::to_string(ntohs(address.sin_port));

  const TempDir directory;
  RunOptions options;
  options.arguments = {"serve", "--port", port};
  options.workingDirectory = directory.path();
  const auto run = RunBinary(KALVORDEN_BINARY, options);
  close(holder);
  EXPECT_EQ(run.exitStatus, 69);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("kalvorden: error (69): cannot listen, on 127.0.0.1 port " + port, 0), 0U)
      << run.err;
}

TEST(ServeCommand, ArgumentsAndUsageErrors) {
  // The arguments after "serve", and the error line (empty: accepted, with
  // the address and port given).
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
    std::string address = "127.0.0.1";
    int port = 8080;
  };
  // clang-format off
  const Case cases[] = {
      {{}, ""},
      {{"--port", "0"}, "", "127.0.0.1", 0},
      {{"--port=9000", "--listen", "0.0.0.0"}, "", "0.0.0.0", 9000},
      {{"--listen", "::1", "--port", "65535"}, "", "::1", 65535},
      {{"--port", "65536"},
       "kalvorden: error (64): usage error, option --port \"65536\": not a port number (0 to 65535)"},
      {{"--port", "-1"},
       "kalvorden: error (64): usage error, option --port \"-1\": not a port number (0 to 65535)"},
      {{"--port", "80x"},
       "kalvorden: error (64): usage error, option --port \"80x\": not a port number (0 to 65535)"},
      {{"--port"}, "kalvorden: error (64): usage error, option --port: needs a value"},
      {{"--listen", ""}, "kalvorden: error (64): usage error, option --listen: the address is empty"},
      {{"--wheel-load", "72.5"},
       "kalvorden: error (64): usage error, unknown or ambiguous option \"--wheel-load\": see "
       "kalvorden serve --help"},
      {{"now"},
       "kalvorden: error (64): usage error, unexpected argument \"now\": see kalvorden serve --help"},
  };
  // clang-format on
  for (const Case& c : cases) {
    std::vector<std::string> words = c.arguments;
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(word.data());
    }
    kalvorden::ServeRequest request;
    const kalvorden::Fault fault = kalvorden::ParseServeArguments(argv, request);
    const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
    EXPECT_EQ(fault.ok() ? "" : kalvorden::FormatFault(fault), c.error) << shown;
    if (fault.ok()) {
      EXPECT_EQ(request.address, c.address) << shown;
      EXPECT_EQ(request.port, c.port) << shown;
    }
  }
}

// Without a directory for the downloads (here $TMPDIR does not exist) the
// server says so and ends 69 before announcing its address, rather than
// serving a page whose every download fails.
TEST(ServeCommand, WithoutADirectoryForDownloadsItEndsBeforeAnnouncingItself) {
  const TempDir directory;
  RunOptions options;
  options.arguments = {"-c", "TMPDIR=\"$1\" exec \"$0\" serve --port 0", KALVORDEN_BINARY,
                       directory.File("missing")};
  options.workingDirectory = directory.path();
  const auto run = RunBinary("/bin/sh", options);
  EXPECT_EQ(run.exitStatus, 69);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "kalvorden: error (69): cannot serve: no directory for the downloads could be made in "
            "$TMPDIR (or /tmp)\n");
}

// The help of the program and of serve on a standard output that cannot be
// written (a full device): status 74 and the line that says so, not 0.
TEST(ServeCommand, HelpOnAFullDeviceEndsWithAWriteFailure) {
  const std::vector<std::string> forms[] = {{"--help"}, {"serve", "--help"}};
  for (const auto& form : forms) {
    const TempDir directory;
    RunOptions options;
    options.arguments = {"-c", "exec \"$0\" \"$@\" > /dev/full", KALVORDEN_BINARY};
    options.arguments.insert(options.arguments.end(), form.begin(), form.end());
    options.workingDirectory = directory.path();
    const auto run = RunBinary("/bin/sh", options);
    EXPECT_EQ(run.exitStatus, 74) << form[0];
    EXPECT_EQ(run.err,
              "kalvorden: error (74): write failure, writing standard output: No space left on "
              "device\n")
        << form[0];
  }
}
