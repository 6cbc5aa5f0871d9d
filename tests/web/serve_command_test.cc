// `kalvorden serve` as a shell starts it: the built program in its own
// process, its URL read from standard output, stopped by a signal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "driver/serve_command.h"
#include "tests/support/run_binary.h"

extern char** environ;

namespace {

using kalvorden::testing::RunBinary;
using kalvorden::testing::RunOptions;
using kalvorden::testing::TempDir;

// The program running `serve` with `arguments`, its standard output on a
// pipe.
class ServeProcess {
 public:
  explicit ServeProcess(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
      return;
    }
    std::vector<std::string> words = {KALVORDEN_BINARY, "serve"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
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

  // The first line of standard output, waiting at most a minute for it.
  std::string FirstLine() {
    std::string line;
    char c = 0;
    pollfd ready = {output_, POLLIN, 0};
    while (poll(&ready, 1, 60000) == 1 && read(output_, &c, 1) == 1 && c != '\n') {
      line += c;
    }
    return line;
  }

  // Sends `signal` and returns the exit status (128 + signal if killed).
  int StopWith(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
};

}  // namespace

TEST(ServeCommand, PrintsItsUrlServesAndStopsOnEitherSignal) {
  for (const int signal : {SIGTERM, SIGINT}) {
    ServeProcess server({"--port", "0"});
    const std::string url = server.FirstLine();
    ASSERT_EQ(url.rfind("http://127.0.0.1:", 0), 0U) << url;
    const int port = std::stoi(url.substr(17));
    httplib::Client client("127.0.0.1", port);
    const httplib::Result page = client.Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(server.StopWith(signal), 0) << signal;
  }
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
