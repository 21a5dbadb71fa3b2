// Windows paths as Wine presents the POSIX file system: drive Z: is "/".
#include <cctype>

#include "StandInControl.h"

namespace standin {

std::string PosixPath(const std::string& windowsPath) {
  std::string path = windowsPath;
  if (path.size() >= 2 && path[1] == ':') {
    const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    // Only Z: is mapped; another drive names a folder that does not exist.
    path = (drive == 'Z' ? std::string() : std::string("/nonexistent-drive-") + drive) +
           path.substr(2);
  }
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string WindowsPath(const std::string& posixPath) {
  std::string path = posixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path.empty() || path[0] != '\\' ? path : "Z:" + path;
}

}  // namespace standin
