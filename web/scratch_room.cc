#include "web/scratch_room.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kalvorden {

ScratchRoom::ScratchRoom(const std::string& base) {
  std::string parent = base;
  if (parent.empty()) {
    const char* tmpdir = std::getenv("TMPDIR");
    parent = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
  }
  std::string pattern = parent + "/kalvorden-serve-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) {
    path_ = pattern;
  }
}

ScratchRoom::~ScratchRoom() {
  Remove();
}

void ScratchRoom::Remove() {
  if (!path_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
}

bool ScratchRoom::Ready() const {
  if (path_.empty() || (mkdir(path_.c_str(), 0700) != 0 && errno != EEXIST)) {
    return false;
  }
  struct stat status {};
  return lstat(path_.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == geteuid() && (status.st_mode & 077) == 0;
}

ScratchFile::ScratchFile(const ScratchRoom& room, std::string_view fileName) {
  if (!room.Ready()) {
    return;
  }
  std::string pattern = room.path() + "/download-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) {
    directory_ = pattern;
    path_ = directory_ + "/" + std::string(fileName);
  }
}

ScratchFile::~ScratchFile() {
  Remove();
}

void ScratchFile::Remove() {
  if (!directory_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
}

FileDescriptor ScratchFile::OpenAndRemove() {
  FileDescriptor file(open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  Remove();
  return file;
}

}  // namespace kalvorden
