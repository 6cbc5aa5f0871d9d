#pragma once

// Where the server writes its downloads: one private directory (mode 0700)
// under $TMPDIR, made when the server starts and removed, with whatever it
// still holds, when it ends. Each download is written into a directory of
// its own inside it, opened, and its name removed before it is sent, so a
// file lives on only through its descriptor and nothing stays on disk after
// the response, a lost client or a stop.

#include <string>
#include <string_view>

#include "web/http_message.h"

namespace kalvorden {

class ScratchRoom {
 public:
  // `base` is the directory to make it in; empty for $TMPDIR, or /tmp.
  explicit ScratchRoom(const std::string& base = {});
  ~ScratchRoom();
  ScratchRoom(const ScratchRoom&) = delete;
  ScratchRoom& operator=(const ScratchRoom&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  // Whether the room is there, made again (mode 0700) when it has gone
  // (a cleaner of /tmp removed it); false when it cannot be made, or when
  // its name is taken by anything but a private directory of this user
  // (a link planted in its place is never followed).
  bool Ready() const;
  // Removes the room and what it holds (also done by the destructor).
  void Remove();

 private:
  std::string path_;
};

// A directory of one download inside the room, removed with its file.
class ScratchFile {
 public:
  ScratchFile(const ScratchRoom& room, std::string_view fileName);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  bool ok() const { return !directory_.empty(); }
  const std::string& path() const { return path_; }

  // Opens the file for reading and removes its name and directory: the
  // descriptor is then the only way to the bytes. Invalid on failure.
  FileDescriptor OpenAndRemove();

 private:
  void Remove();

  std::string directory_;
  std::string path_;
};

}  // namespace kalvorden
