#pragma once

// `kalvorden serve [--port N] [--listen ADDRESS]`: the design as a local web
// page (web/web_server.h). The sub-command's options are its own.

#include <span>
#include <string>

#include "driver/console.h"
#include "fault/fault.h"
#include "run/output_factory.h"

namespace kalvorden {

struct ServeRequest {
  std::string address = "127.0.0.1";  // --listen: anything but loopback only when asked for
  int port = 8080;                    // --port: 0 picks a free port
  bool help = false;                  // --help
};

// Parses the arguments after "serve" with getopt_long. Returns no fault, or
// error 64 with the line that names the bad option or value.
Fault ParseServeArguments(std::span<char* const> arguments, ServeRequest& request);

// Runs `kalvorden serve`: prints the page's URL on standard output when it
// is ready and serves until SIGINT or SIGTERM (status 0); 64 for a usage
// error, 69 when it cannot listen, each with its line on standard error.
// `outputs` makes the page and the downloads.
int RunServeCommand(std::span<char* const> arguments, Console& console,
                    const OutputMakers& outputs);

}  // namespace kalvorden
