#include "output/pending_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "output/interrupt_cleanup.h"

namespace kalvorden {
namespace {

// The directory part of a name, with its slash ("" for a name without one).
std::string DirectoryOf(const std::string& name) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// The mode a new file gets from open(2): 0666 less the process's umask.
// umask can only be read by setting it, and the web page creates files from
// several threads at once: reading it on every call could leave another
// thread's file, or the process, with a mask of 0. It is read once, under
// the guard of a function-local static's initialisation.
mode_t NewFileMode() {
  static const mode_t kMask = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
  }();
  return 0666 & ~kMask;
}

int RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return 0;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return errno;
  }
  // A file system without the no-replace rename: a hard link fails on an
  // existing name just the same.
  if (link(from.c_str(), to.c_str()) != 0) {
    return errno;
  }
  unlink(from.c_str());
  return 0;
}

// The entry a name that does not exist yet would be created as: its
// directory resolved (symbolic links, "." and ".."), then its last
// component; empty when the directory cannot be resolved (nothing can be
// created there either).
std::string NewEntryPath(const std::string& name) {
  const std::string directory = DirectoryOf(name);
  char resolved[PATH_MAX];
  if (realpath(directory.empty() ? "." : directory.c_str(), resolved) == nullptr) {
    return {};
  }
  return std::string(resolved) + "/" + name.substr(directory.size());
}

}  // namespace

bool ReachSameFile(const std::string& first, const std::string& second) {
  struct stat firstStatus {};
  struct stat secondStatus {};
  const bool firstExists = stat(first.c_str(), &firstStatus) == 0;
  const bool secondExists = stat(second.c_str(), &secondStatus) == 0;
  if (firstExists || secondExists) {
    return firstExists && secondExists && firstStatus.st_dev == secondStatus.st_dev &&
           firstStatus.st_ino == secondStatus.st_ino;
  }
  const std::string entry = NewEntryPath(first);
  return !entry.empty() && entry == NewEntryPath(second);
}

int OpenWithoutBlocking(const std::string& name, int flags) {
  const int descriptor =
      open(name.c_str(), flags | O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (descriptor >= 0) {
    const int status = fcntl(descriptor, F_GETFL);
    if (status >= 0) {
      fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK);
    }
  }
  return descriptor;
}

int PendingFile::Create(const std::string& target) {
  Abandon();
  leftBehind_.clear();
  if (target.empty()) {
    return EINVAL;
  }
  finalName_ = target;
  mode_t mode = NewFileMode();
  struct stat status {};
  if (stat(target.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) {
      return EISDIR;
    }
    if (!S_ISREG(status.st_mode)) {
      descriptor_ = OpenWithoutBlocking(target, 0);
      direct_ = descriptor_ >= 0;
      return descriptor_ >= 0 ? 0 : errno;
    }
    // Through a symbolic link the file it names is replaced, not the link.
    char resolved[PATH_MAX];
    if (realpath(target.c_str(), resolved) != nullptr) {
      finalName_ = resolved;
    }
    mode = status.st_mode & 07777;
  } else if (errno != ENOENT) {
    return errno;  // a loop of links, a path through a file, no search permission
  } else if (lstat(target.c_str(), &status) == 0) {
    return EEXIST;  // a symbolic link to a missing file
  }
  std::string pattern = DirectoryOf(finalName_) + ".kalvorden-XXXXXX";
  // Created and noted at once, as far as an interrupt is concerned: none can
  // end the run between the two and leave the file behind.
  const InterruptsHeld held;
  descriptor_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (descriptor_ < 0) {
    return errno;
  }
  temporary_ = pattern;
  noted_ = RememberTemporaryFile(temporary_);
  fchmod(descriptor_, mode);
  return 0;
}

int PendingFile::Finish() {
  if (descriptor_ < 0) {
    return finished_ ? 0 : EBADF;
  }
  int failure = 0;
  if (!direct_ && fsync(descriptor_) != 0) {
    failure = errno;
  }
  if (close(descriptor_) != 0 && failure == 0) {
    failure = errno;
  }
  descriptor_ = -1;
  if (failure != 0) {
    RemoveTemporary();
    direct_ = false;
    return failure;
  }
  finished_ = true;
  return 0;
}

int PendingFile::Commit(bool replace) {
  if (descriptor_ >= 0) {
    if (const int failure = Finish(); failure != 0) {
      return failure;
    }
  }
  if (!finished_) {
    return EBADF;
  }
  finished_ = false;
  if (direct_) {
    direct_ = false;  // a device or a pipe, written where it stands
    return 0;
  }
  int failure = 0;
  if (replace) {
    failure = rename(temporary_.c_str(), finalName_.c_str()) == 0 ? 0 : errno;
  } else {
    failure = RenameWithoutReplacing(temporary_, finalName_);
  }
  if (failure != 0) {
    RemoveTemporary();
    return failure;
  }
  ForgetTemporaryFile(noted_);
  noted_ = -1;
  temporary_.clear();
  return 0;
}

void PendingFile::Abandon() noexcept {
  if (descriptor_ >= 0) {
    close(descriptor_);
    descriptor_ = -1;
  }
  RemoveTemporary();
  finished_ = false;
  direct_ = false;
}

void PendingFile::RemoveTemporary() noexcept {
  if (!temporary_.empty()) {
    if (unlink(temporary_.c_str()) != 0 && errno != ENOENT) {
      leftBehind_ = temporary_;
    }
    temporary_.clear();
  }
  ForgetTemporaryFile(noted_);
  noted_ = -1;
}

}  // namespace kalvorden
