#include "driver/serve_command.h"

#include <getopt.h>

#include <cstdlib>
#include <vector>

#include "pdf/rating_package.h"
#include "web/web_server.h"

namespace kalvorden {
namespace {

enum OptionValue : int { kPort = 256, kListen, kHelp };

constexpr int kLargestPort = 65535;

// A port number: the whole text, 0 to 65535.
bool ParsePort(const char* text, int& port) {
  if (text[0] < '0' || text[0] > '9') {
    return false;
  }
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value > kLargestPort) {
    return false;
  }
  port = static_cast<int>(value);
  return true;
}

// The --help text of the sub-command.
std::string ServeUsageText() {
  return "Usage: kalvorden serve [--port N] [--listen ADDRESS]\n"
         "Serves the design as a web page on this machine and prints its address.\n"
         "Stops with Ctrl-C or SIGTERM (exit status 0).\n\n"
         "  --port N          the port (default 8080; 0 picks a free one)\n"
         "  --listen ADDRESS  the address to listen on (default 127.0.0.1, this\n"
         "                    machine only); another address serves other machines\n"
         "  --help            show this help and exit\n\n"
         "Exit status: 0 stopped by a signal, 64 usage error, 69 cannot listen.\n";
}

}  // namespace

Fault ParseServeArguments(std::span<char* const> arguments, ServeRequest& request) {
  request = ServeRequest{};
  std::vector<char*> argv = {const_cast<char*>("kalvorden serve")};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size()) - 1;
  const option table[] = {{"port", required_argument, nullptr, kPort},
                          {"listen", required_argument, nullptr, kListen},
                          {"help", no_argument, nullptr, kHelp},
                          {nullptr, 0, nullptr, 0}};
  // As for the main command line: stop at the first operand, report a
  // missing value apart, restart the parser, and keep it quiet.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int value = getopt_long(argc, argv.data(), "+:", table, nullptr);
    if (value == -1) {
      break;
    }
    switch (value) {
      case kPort:
        if (!ParsePort(optarg, request.port)) {
          return UsageFault("option --port " + QuoteName(optarg), "not a port number (0 to 65535)");
        }
        break;
      case kListen:
        if (optarg[0] == '\0') {
          return UsageFault("option --listen", "the address is empty");
        }
        request.address = optarg;
        break;
      case kHelp:
        request.help = true;
        return {};
      case ':':
        return UsageFault(std::string("option ") + (optopt == kPort ? "--port" : "--listen"),
                          "needs a value");
      default: {
        const char* text = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        return UsageFault("unknown or ambiguous option " + QuoteName(text),
                          "see kalvorden serve --help");
      }
    }
  }
  if (optind < argc) {
    return UsageFault("unexpected argument " + QuoteName(argv[optind]),
                      "see kalvorden serve --help");
  }
  return {};
}

int RunServeCommand(std::span<char* const> arguments, Console& console,
                    const OutputMakers& outputs) {
  ServeRequest request;
  if (Fault fault = ParseServeArguments(arguments, request); !fault.ok()) {
    return EndConsoleWithFault(console, fault);
  }
  if (request.help) {
    return ShowText(console, ServeUsageText());
  }
  WebServerOptions options;
  options.address = request.address;
  options.port = request.port;
  options.makeRatingPdf = WriteRatingPackage;
  options.outputs = OutputFactory(outputs);
  return RunServe(options, console.output, console.errors);
}

}  // namespace kalvorden
