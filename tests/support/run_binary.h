#pragma once

#include <string>
#include <vector>

namespace kalvorden::testing {

// A directory under $TMPDIR (or /tmp) that is removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunResult {
  int exitStatus = -1;  // the process's exit status, or 128 + signal
  std::string out;      // standard output
  std::string err;      // standard error
};

struct RunOptions {
  std::vector<std::string> arguments;
  std::string workingDirectory;  // required: tests never depend on the caller's
  std::string input;             // standard input, closed after it
  int fileSizeLimit = -1;        // RLIMIT_FSIZE in bytes when >= 0
};

// Runs `binary` with pipes for its standard streams and waits for it.
RunResult RunBinary(const std::string& binary, const RunOptions& options);

// Starts `binary` without waiting for it: standard input empty, standard
// output and error both into the file `outputFile`. Returns its process id.
int StartBinary(const std::string& binary, const RunOptions& options,
                const std::string& outputFile);

// Waits at most `seconds` for the process `pid` started by StartBinary and
// returns its status as RunResult's exitStatus; a process still running
// then is killed, and -1 returned, so that a test always ends.
int WaitBinary(int pid, double seconds);

// The first child process of `parent` to appear within `seconds`, or -1.
int WaitForChildOf(int parent, double seconds);

// The program with its clock fixed at 07-DEC-26 14:03:09, in `directory`.
RunResult RunFixedClock(const std::string& directory, const std::string& input);
// The same with command-line `arguments` after the clock.
RunResult RunFixedClockWith(const std::string& directory, const std::vector<std::string>& arguments,
                            const std::string& input = {});
constexpr const char* kFixedDate = "07-DEC-26";
constexpr const char* kFixedTime = "14:03:09";

// The same through a pseudo-terminal: the program's standard input, output
// and error are the terminal, with echo and output post-processing off, so
// `out` holds exactly the bytes the program wrote to the console.
RunResult RunFixedClockOnTerminal(const std::string& directory, const std::string& input);

std::string ReadFileBytes(const std::string& path);

// A CSV record split on commas outside double quotes, its quotes and a
// carriage return dropped.
std::vector<std::string> CsvFields(const std::string& record);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

}  // namespace kalvorden::testing
