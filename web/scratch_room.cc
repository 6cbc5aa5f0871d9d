#include "web/scratch_room.h"

#include <fcntl.h>
#include <unistd.h>

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

ScratchFile::ScratchFile(const ScratchRoom& room, std::string_view fileName) {
  if (!room.ok()) {
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
