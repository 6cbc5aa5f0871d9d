// Times whole runs of the program: the largest run the dialogue allows
// (5 x 5 x 5 x 5 x 5 = 3125 design cases, 346,875 spans) and the everyday
// one-case run, and the largest and a 25-case run with their PDF. Each is run several times in a
// fresh directory, with its report written to a file; the median wall time,
// the median CPU time of the process (user and system, its threads
// together) and its peak resident memory are reported. The program runs as
// it is (the dialogue's report, the enclosure filter with exact fallback),
// with --exact (the exact engine alone), with --csv, and from the options
// (--output: the report through a temporary file, synced and renamed into
// place) alone and with --text; when a second program is given (an older
// build, say), that one too, alone, with --csv, from the options, with
// --text and with the PDF: the runs alternate, so that a change in the
// machine's load falls on all alike.
//
// Then, in this process on one thread, the design alone (no report) of the
// same 3125 cases with the enclosure filter and with the exact engine, in
// thread CPU time, and the number of spans the filter handed to the exact
// engine; and the same with the working values the CSV prints.
//
// kalvorden_bench <path to kalvorden> [runs] [path to a program to compare]

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <ctime>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "design/design_cases.h"
#include "design/span_sweep.h"
#include "numeric/decimal.h"

namespace {

using Lists = std::vector<std::vector<std::string>>;

struct Measurement {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system, all threads
  long peakKilobytes = 0;
  int status = -1;
  long long reportBytes = 0;
};

std::string AnswerScript(const Lists& lists) {
  std::string script = "bench.rpt\n";
  for (const auto& list : lists) {
    script += std::to_string(list.size()) + "\n";
    for (const std::string& value : list) {
      script += value + "\n";
    }
  }
  return script + "N\n";
}

// A way to run a program: its path and its options, if any; with
// `fromOptions`, the values go on the command line and the report to
// --output instead of the dialogue.
struct Contender {
  std::string name;
  std::string program;
  std::vector<std::string> options;
  bool fromOptions = false;
};

// The options that give the run the values of `lists` and its report file.
std::vector<std::string> ValueOptions(const Lists& lists) {
  const char* names[] = {"--wheel-load", "--top-cover", "--paving", "--fs", "--fc"};
  std::vector<std::string> options;
  for (size_t l = 0; l < lists.size() && l < std::size(names); ++l) {
    std::string list;
    for (const std::string& value : lists[l]) {
      list += (list.empty() ? "" : ",") + value;
    }
    options.insert(options.end(), {names[l], list});
  }
  options.insert(options.end(), {"--output", "bench.rpt"});
  return options;
}

Measurement RunOnce(const Contender& contender, const std::string& directory, const Lists& lists) {
  const std::string answers = AnswerScript(lists);
  const std::string answerFile = directory + "/answers.txt";
  const std::string report = directory + "/bench.rpt";
  // Every run makes its outputs afresh, as the dialogue's report must be
  // (it would ask before replacing one). Replacing a file would add the
  // kernel's deletion of the old one, done in the rename that commits the
  // new (about 18 ms for the 61 MB CSV of the largest run), to some runs
  // and not to others.
  unlink(report.c_str());
  for (const char* output : {"bench.csv", "bench.txt", "bench.pdf"}) {
    unlink((directory + "/" + output).c_str());
  }
  FILE* file = std::fopen(answerFile.c_str(), "w");
  const bool written =
      file != nullptr && std::fwrite(answers.data(), 1, answers.size(), file) == answers.size();
  if (file == nullptr || std::fclose(file) != 0 || !written) {
    // Without its answers the program would time a dialogue that reads an
    // empty or partial file: nothing worth measuring.
    std::perror(answerFile.c_str());
    std::exit(1);
  }

  Measurement m;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(directory.c_str()) != 0)
      _exit(126);
    const int in = open(answerFile.c_str(), O_RDONLY);
    const int null = open("/dev/null", O_WRONLY);
    dup2(in, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::vector<std::string> options = contender.options;
    if (contender.fromOptions) {
      const std::vector<std::string> values = ValueOptions(lists);
      options.insert(options.begin(), values.begin(), values.end());
    }
    std::vector<char*> argv = {const_cast<char*>(contender.program.c_str())};
    for (const std::string& option : options) {
      argv.push_back(const_cast<char*>(option.c_str()));
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  m.peakKilobytes = usage.ru_maxrss;
  m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  struct stat st {};
  if (stat(report.c_str(), &st) == 0)
    m.reportBytes = st.st_size;
  return m;
}

void Report(const char* name, const std::vector<Contender>& contenders,
            const std::string& directory, const Lists& lists, int runs, long spans) {
  std::vector<std::vector<Measurement>> all(contenders.size());
  for (int i = 0; i < runs; ++i) {
    for (size_t c = 0; c < contenders.size(); ++c) {
      all[c].push_back(RunOnce(contenders[c], directory, lists));
    }
  }
  double first = 0;
  for (size_t c = 0; c < contenders.size(); ++c) {
    std::vector<double> times;
    std::vector<double> cpu;
    long peak = 0;
    for (const Measurement& m : all[c]) {
      times.push_back(m.seconds);
      cpu.push_back(m.cpuSeconds);
      peak = std::max(peak, m.peakKilobytes);
      if (m.status != 0) {
        std::printf("%s, %s: run ended with status %d\n", name, contenders[c].name.c_str(),
                    m.status);
      }
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    const double median = times[times.size() / 2];
    if (c == 0) {
      first = median;
    }
    std::printf(
        "%-11s %-11s median %8.4f s (min %.4f, max %.4f) over %d runs, CPU median %.4f s, "
        "peak RSS %ld KB, %ld spans, %.0f spans/s, report %lld bytes, %.2fx the time of the "
        "first\n",
        name, contenders[c].name.c_str(), median, times.front(), times.back(), runs,
        cpu[cpu.size() / 2], peak, spans, static_cast<double>(spans) / median,
        all[c].back().reportBytes, median / first);
  }
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct DesignTally {
  double seconds = 0;
  long cases = 0;
  long spans = 0;
  long exactSpans = 0;
};

// Designs every case of the five lists, as the program forms them
// (continuity factor 1.0), without a report.
DesignTally DesignInProcess(const Lists& lists, const kalvorden::DesignOptions& options) {
  using namespace kalvorden;
  DesignInputs inputs;
  ValueList* valueLists[] = {&inputs.wheelLoads, &inputs.topCovers, &inputs.futurePavings,
                             &inputs.steelStresses, &inputs.concreteStresses};
  for (size_t l = 0; l < lists.size() && l < std::size(valueLists); ++l) {
    ValueList& values = *valueLists[l];
    for (const std::string& text : lists[l]) {
      if (values.count < kListCapacity) {
        ParseDecimal(text.c_str(), &values.values[values.count++]);
      }
    }
  }
  std::vector<SpanDesign> spans(kSpansPerCase);
  DesignTally tally;
  const double start = ThreadSeconds();
  ForEachDesignCase(inputs, [&](const DesignCase& c) {
    SweepState state;
    const SweepResult sweep = SweepSpans(c, state, spans, options);
    ++tally.cases;
    tally.spans += sweep.spanCount;
    tally.exactSpans += sweep.exactSpans;
  });
  tally.seconds = ThreadSeconds() - start;
  return tally;
}

void ReportDesign(const Lists& lists, int runs) {
  std::vector<double> filtered, exact, working;
  DesignTally tally, workingTally;
  for (int i = 0; i < runs; ++i) {
    tally = DesignInProcess(lists, {});
    filtered.push_back(tally.seconds);
    exact.push_back(DesignInProcess(lists, {.exact = true}).seconds);
    workingTally = DesignInProcess(lists, {.workingValues = true});
    working.push_back(workingTally.seconds);
  }
  std::sort(filtered.begin(), filtered.end());
  std::sort(exact.begin(), exact.end());
  std::sort(working.begin(), working.end());
  const double medianFiltered = filtered[filtered.size() / 2];
  const double medianExact = exact[exact.size() / 2];
  const double medianWorking = working[working.size() / 2];
  std::printf(
      "design only    %ld cases, %ld spans, thread CPU median: filter %.4f s (%.1f us per case), "
      "exact %.4f s (%.1f us per case), %.1fx; spans designed exactly after the filter: %ld "
      "(%.3f %%)\n",
      tally.cases, tally.spans, medianFiltered, medianFiltered / tally.cases * 1e6, medianExact,
      medianExact / tally.cases * 1e6, medianExact / medianFiltered, tally.exactSpans,
      100.0 * tally.exactSpans / tally.spans);
  std::printf(
      "design only, with the working values (--csv): filter %.4f s (%.1f us per case); spans "
      "designed exactly after the filter: %ld (%.3f %%)\n",
      medianWorking, medianWorking / static_cast<double>(workingTally.cases) * 1e6,
      workingTally.exactSpans,
      100.0 * static_cast<double>(workingTally.exactSpans) /
          static_cast<double>(workingTally.spans));
}

// The number of runs: a whole number of at least 1, or 0 for anything else.
int RunsOf(const char* text) {
  char* end = nullptr;
  errno = 0;
  const long runs = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || runs < 1 || runs > INT_MAX) {
    return 0;
  }
  return static_cast<int>(runs);
}

}  // namespace

int main(int argc, char** argv) {
  // Every median needs at least one run.
  const int runs = argc > 2 ? RunsOf(argv[2]) : 5;
  if (argc < 2 || runs < 1) {
    std::fprintf(stderr, "usage: %s <path to kalvorden> [runs] [program to compare]\n", argv[0]);
    return 2;
  }
  char resolved[PATH_MAX];
  if (realpath(argv[1], resolved) == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  const std::string program = resolved;
  char pattern[] = "/tmp/kalvorden-bench-XXXXXX";
  const char* directory = mkdtemp(pattern);
  if (directory == nullptr)
    return 1;

  const Lists largestLists = {{"60", "75", "90", "105", "120"},
                              {"40", "50", "60", "65", "70"},
                              {"0", "0.6", "1.2", "1.8", "2.4"},
                              {"140", "155", "170", "185", "200"},
                              {"8", "9.5", "11", "12.5", "14"}};
  const Lists oneCase = {{"72.5"}, {"50"}, {"1.44"}, {"170"}, {"10"}};

  // The CSV of the same design, written alongside the report (the dialogue
  // still answers from the file).
  std::vector<Contender> contenders = {{"filter", program, {}},
                                       {"--exact", program, {"--exact"}},
                                       {"+ CSV", program, {"--csv", "bench.csv"}},
                                       {"options", program, {}, true},
                                       {"opt + text", program, {"--text", "bench.txt"}, true}};
  std::string compared;
  if (argc > 3) {
    char other[PATH_MAX];
    if (realpath(argv[3], other) == nullptr) {
      std::perror(argv[3]);
      return 2;
    }
    compared = other;
    contenders.push_back({"compared", compared, {}});
    contenders.push_back({"cmp + CSV", compared, {"--csv", "bench.csv"}});
    contenders.push_back({"cmp options", compared, {}, true});
    contenders.push_back({"cmp + text", compared, {"--text", "bench.txt"}, true});
  }
  Report("3125 cases", contenders, directory, largestLists, runs, 3125L * 111);
  Report("1 case", contenders, directory, oneCase, runs, 111);
  // The largest run with its PDF too (12,556 sheets): fewer runs, each takes
  // seconds.
  std::vector<Contender> withPdf = {{"+ PDF", program, {"--pdf", "bench.pdf"}}};
  if (!compared.empty()) {
    withPdf.push_back({"cmp + PDF", compared, {"--pdf", "bench.pdf"}});
  }
  Report("3125 cases", withPdf, directory, largestLists, std::min(runs, 3), 3125L * 111);
  // An everyday calculation package: 25 cases (five wheel loads by five
  // covers), 107 sheets.
  const Lists twentyFive = {largestLists[0], largestLists[1], {"1.44"}, {"170"}, {"10"}};
  Report("25 cases", withPdf, directory, twentyFive, runs, 25L * 111);
  ReportDesign(largestLists, runs);

  const std::string cleanup = std::string("rm -rf ") + directory;
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
