#include "output/file_output.h"

#include <cerrno>
#include <cstring>

namespace kalvorden {

FileOutput::~FileOutput() = default;

std::string OutputLabel(std::string_view what, const std::string& name) {
  if (name == kStandardOutputName) {
    return std::string(what) + " on standard output";
  }
  return std::string(what) + " file " + QuoteName(name);
}

Fault OutputWriteFault(const std::string& label, int osError) {
  return {kFaultWriteFailure, "write failure", "writing " + label, std::strerror(osError)};
}

Fault OpenFault(int osError, bool creating, const std::string& name, std::string_view what) {
  Fault fault;
  fault.where = "opening " + std::string(what) + " file " + QuoteName(name);
  fault.detail = std::strerror(osError);
  switch (osError) {
    case EACCES:
    case EPERM:
    case EROFS:
      fault.number = kFaultPermissionDenied;
      fault.text = "permission to access file denied";
      break;
    case EEXIST:
      fault.number = kFaultCannotOverwrite;
      fault.text = "cannot overwrite existing file";
      break;
    case ENOENT:
      // Reopening, the file vanished after the existence test; creating, a
      // directory of the name does not exist.
      fault.number = creating ? kFaultFileName : kFaultFileNotFound;
      fault.text = creating ? "file name specification error" : "file not found";
      break;
    case EISDIR:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      fault.number = kFaultFileName;
      fault.text = "file name specification error";
      break;
    default:
      fault.number = kFaultOpenFailure;
      fault.text = "open failure";
      break;
  }
  return fault;
}

}  // namespace kalvorden
