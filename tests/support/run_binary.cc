#include "tests/support/run_binary.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>

namespace kalvorden::testing {
namespace {

int DecodeStatus(int status) {
  if (WIFEXITED(status)) {
    return WEXITSTATUS(status);
  }
  if (WIFSIGNALED(status)) {
    return 128 + WTERMSIG(status);
  }
  return -1;
}

[[noreturn]] void ExecChild(const std::string& binary, const RunOptions& options) {
  if (chdir(options.workingDirectory.c_str()) != 0) {
    _exit(126);
  }
  // The program meets the signal dispositions a shell gives it: default.
  // (This process ignores SIGPIPE for its own pipes; a program that must
  // survive SIGPIPE or SIGXFSZ has to ignore them itself.)
  signal(SIGPIPE, SIG_DFL);
  signal(SIGXFSZ, SIG_DFL);
  if (options.fileSizeLimit >= 0) {
    struct rlimit limit {};
    limit.rlim_cur = static_cast<rlim_t>(options.fileSizeLimit);
    limit.rlim_max = static_cast<rlim_t>(options.fileSizeLimit);
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(binary.c_str()));
  for (const std::string& argument : options.arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  execv(binary.c_str(), argv.data());
  _exit(127);
}

std::vector<std::string> FixedClockArguments() {
  return {"2026", "12", "7", "14", "3", "9"};
}

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kalvorden-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Restore permissions a test may have taken away, so removal succeeds.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::remove_all(path_, ignored);
}

RunResult RunBinary(const std::string& binary, const RunOptions& options) {
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      close(fd);
    }
    ExecChild(binary, options);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);

  RunResult result;
  size_t written = 0;
  int inputFd = in[1];
  if (options.input.empty()) {
    close(inputFd);
    inputFd = -1;
  }
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[3];
    int count = 0;
    if (outOpen)
      fds[count++] = {out[0], POLLIN, 0};
    if (errOpen)
      fds[count++] = {err[0], POLLIN, 0};
    if (inputFd >= 0)
      fds[count++] = {inputFd, POLLOUT, 0};
    if (poll(fds, count, -1) < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    for (int i = 0; i < count; ++i) {
      if (fds[i].revents == 0)
        continue;
      if (fds[i].fd == inputFd) {
        const ssize_t n =
            write(inputFd, options.input.data() + written, options.input.size() - written);
        if (n > 0)
          written += static_cast<size_t>(n);
        if (n < 0 || written == options.input.size()) {
          close(inputFd);
          inputFd = -1;
        }
        continue;
      }
      char buffer[65536];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      std::string& sink = fds[i].fd == out[0] ? result.out : result.err;
      if (n > 0) {
        sink.append(buffer, static_cast<size_t>(n));
      } else {
        (fds[i].fd == out[0] ? outOpen : errOpen) = false;
      }
    }
  }
  if (inputFd >= 0)
    close(inputFd);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitStatus = DecodeStatus(status);
  return result;
}

int StartBinary(const std::string& binary, const RunOptions& options,
                const std::string& outputFile) {
  const pid_t child = fork();
  if (child == 0) {
    const int input = open("/dev/null", O_RDONLY);
    const int output = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (input < 0 || output < 0) {
      _exit(126);
    }
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    close(input);
    close(output);
    ExecChild(binary, options);
  }
  if (child < 0) {
    throw std::runtime_error("fork failed");
  }
  return child;
}

namespace {

// Sleeps a short while, polling: tests that wait for a process give up at a
// deadline rather than hang.
void Pause() {
  usleep(10000);
}

double Seconds(const timespec& from) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec - from.tv_sec) +
         static_cast<double>(now.tv_nsec - from.tv_nsec) / 1e9;
}

}  // namespace

int WaitBinary(int pid, double seconds) {
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  int status = 0;
  for (;;) {
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) {
      return DecodeStatus(status);
    }
    if (ended < 0 || Seconds(start) > seconds) {
      break;
    }
    Pause();
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

int WaitForChildOf(int parent, double seconds) {
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const std::string children =
      "/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children";
  while (Seconds(start) <= seconds) {
    std::ifstream list(children);
    int child = -1;
    if (list >> child && child > 0) {
      return child;
    }
    Pause();
  }
  return -1;
}

RunResult RunFixedClock(const std::string& directory, const std::string& input) {
  RunOptions options;
  options.arguments = FixedClockArguments();
  options.workingDirectory = directory;
  options.input = input;
  return RunBinary(KALVORDEN_AT_BINARY, options);
}

RunResult RunFixedClockWith(const std::string& directory, const std::vector<std::string>& arguments,
                            const std::string& input) {
  RunOptions options;
  options.arguments = FixedClockArguments();
  options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
  options.workingDirectory = directory;
  options.input = input;
  return RunBinary(KALVORDEN_AT_BINARY, options);
}

RunResult RunFixedClockOnTerminal(const std::string& directory, const std::string& input) {
  struct termios settings {};
  cfmakeraw(&settings);
  settings.c_lflag |= ICANON;  // the program reads whole lines
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, &settings, nullptr);
  if (child < 0) {
    throw std::runtime_error("forkpty failed");
  }
  if (child == 0) {
    RunOptions options;
    options.arguments = FixedClockArguments();
    options.workingDirectory = directory;
    ExecChild(KALVORDEN_AT_BINARY, options);
  }
  RunResult result;
  size_t written = 0;
  for (;;) {
    pollfd fd = {master, static_cast<short>(POLLIN | (written < input.size() ? POLLOUT : 0)), 0};
    if (poll(&fd, 1, 10000) <= 0) {
      break;
    }
    if ((fd.revents & POLLOUT) != 0 && written < input.size()) {
      const ssize_t n = write(master, input.data() + written, input.size() - written);
      if (n > 0)
        written += static_cast<size_t>(n);
    }
    if ((fd.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
      char buffer[4096];
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) {
        break;  // EIO: the program has closed the terminal
      }
      result.out.append(buffer, static_cast<size_t>(n));
    }
  }
  close(master);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitStatus = DecodeStatus(status);
  return result;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

std::vector<std::string> CsvFields(const std::string& record) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (const char c : record) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace kalvorden::testing
