#pragma once

#include <csignal>
#include <string>

namespace kalvorden {

// The temporary files of the outputs now being written, kept where a signal
// handler can reach them, so that a run interrupted by SIGINT, SIGTERM or
// SIGHUP removes them before it ends: an interrupted run leaves neither
// half a file nor its temporary copy, and every file it was to replace keeps
// what it had.
//
// A handler may only call async-signal-safe functions, so the names live in
// a fixed table of fixed buffers, each claimed and released through an
// atomic state: no allocation, no lock.

// Notes the temporary file `name` for removal on an interrupt. Returns the
// slot to pass to ForgetTemporaryFile, or -1 when every slot is taken or the
// name is too long (that file is then left by an interrupt, never lost).
int RememberTemporaryFile(const std::string& name);

// The file of `slot` has been renamed into place or removed (-1: nothing).
void ForgetTemporaryFile(int slot);

// Installs the handlers for SIGINT, SIGTERM and SIGHUP that remove every
// noted temporary file, then end the process by the same signal, so that its
// parent sees it killed by that signal (a shell's status 130, 143, 129). A
// signal the process was started with ignored (nohup, a background job)
// stays ignored. The command-line run installs them once it writes through
// temporary files; the web server takes these signals in its own way.
void RemoveTemporaryFilesOnInterrupt();

// While alive, holds SIGINT, SIGTERM and SIGHUP off in this thread; one that
// arrives meanwhile is taken when it ends. Creating a temporary file and
// noting it, or renaming a run's files into place, is then one step as far as
// an interrupt is concerned.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

  // The interrupts stay held in this thread after this ends, for the rest
  // of the run: one that comes is never taken, and the run ends with its own
  // status and line.
  void KeepHeld() { keep_ = true; }

 private:
  sigset_t previous_{};
  bool keep_ = false;
};

}  // namespace kalvorden
