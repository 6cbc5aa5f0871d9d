// Fuzzes the reader of a project file posted to the page: the first byte
// chooses the content type (TOML, or a form upload with one of a few
// boundaries), the rest is the body. The reader must never overrun or
// crash, and a file it finds must lie within the body.

#include <cstdint>
#include <string>
#include <string_view>

#include "web/project_upload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  static constexpr std::string_view kTypes[] = {
      "application/toml",
      "multipart/form-data; boundary=b",
      "multipart/form-data; boundary=\"----x\"",
      "multipart/form-data",
      "multipart/form-data; boundary=",
  };
  const std::string_view type = kTypes[data[0] % std::size(kTypes)];
  const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string_view file;
  std::string why;
  if (kalvorden::ReadUploadedFile(type, body, file, why)) {
    if (file.data() < body.data() || file.data() + file.size() > body.data() + body.size()) {
      __builtin_trap();
    }
  }
  return 0;
}
