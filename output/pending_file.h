#pragma once

#include <string>

namespace kalvorden {

// An output file written under a temporary name in its target's directory
// and renamed over the target only when it is complete, so a run that fails
// never leaves half a file under the target's name and never destroys the
// file that stood there. A target that exists and is not a regular file (a
// device, a pipe) cannot be replaced by renaming: it is written directly.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile() { Abandon(); }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file beside `target` (through a symbolic link, beside
  // the file it names) and notes it for removal should the run be interrupted
  // (output/interrupt_cleanup.h). Returns 0, or the errno that prevented it;
  // EISDIR for a directory, EINVAL for an empty name, EEXIST for a symbolic
  // link to a missing file: the file it names could lie in any directory,
  // and replacing the link itself would quietly break it, so it is refused
  // as open(2) with O_CREAT | O_EXCL refuses it.
  int Create(const std::string& target);

  // Open after a successful Create, until Finish or Abandon.
  int descriptor() const { return descriptor_; }

  // Writes the file to the disk and closes it, still under its temporary
  // name (a device or a pipe is only closed). Returns 0 or the errno of the
  // step that failed; the temporary file is then removed.
  int Finish();

  // True after a successful Finish while a file waits to be put in place
  // (never for a device or a pipe).
  bool awaitsCommit() const { return finished_ && !direct_; }

  // Puts the finished file (Finish is done first if it was not) in place of
  // the target: over an existing file when `replace`, otherwise only while
  // none exists (EEXIST). Returns 0 or the errno of the step that failed;
  // the temporary file is then removed and the target keeps what it had.
  int Commit(bool replace);

  // Closes and removes the temporary file; the target keeps what it had.
  void Abandon() noexcept;

  // The temporary file a failed step could not remove (its directory
  // refuses both the rename and the removal: immutable, or its permissions
  // changed during the run), for the error line to name; empty when none.
  const std::string& leftBehind() const { return leftBehind_; }

 private:
  void RemoveTemporary() noexcept;

  int descriptor_ = -1;
  bool finished_ = false;  // Finish succeeded; Commit has yet to run
  bool direct_ = false;    // writing the target itself (not a regular file)
  std::string temporary_;  // the temporary file's name, while it exists
  int noted_ = -1;         // its slot among the files an interrupt removes
  std::string finalName_;  // where Commit puts it
  std::string leftBehind_;
};

// Opens `name` for writing with `flags` added (O_CREAT | O_EXCL to create
// it, mode 0666 less the umask) without blocking: a FIFO nobody reads would
// otherwise hold the program forever. Writes block again afterwards.
// Returns the descriptor, or -1 with errno set.
int OpenWithoutBlocking(const std::string& name, int flags);

// True when PendingFile would write `first` and `second` to one file, so
// that committing one would replace the other: both exist and are the same
// file (by device and inode, through symbolic links, hard links or any
// spelling of the path), or neither exists and both name the same entry of
// the same directory ("r.csv", "./r.csv", "sub/../r.csv").
bool ReachSameFile(const std::string& first, const std::string& second);

}  // namespace kalvorden
