// Windows paths as Wine presents the POSIX file system: drive Z: is "/".
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <vector>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

char UpperDrive(char drive) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
}

std::string CurrentDirectory() {
  char buffer[PATH_MAX] = {};
  return getcwd(buffer, sizeof buffer) ? WindowsPath(buffer) : std::string("Z:\\");
}

// The next character: in UTF-8 every byte of a longer character is above
// ASCII, so a byte at a time finds every separator; in the ANSI code page
// CharNextA keeps a trail byte from counting as one.
const char* Next(const char* at, bool utf8) { return utf8 ? at + (*at != '\0') : CharNextA(at); }

// The names between separators.
std::vector<std::string> Segments(const std::string& path, bool utf8) {
  std::vector<std::string> segments(1);
  for (const char* at = path.c_str(); *at != '\0';) {
    const char* next = Next(at, utf8);
    if (next == at + 1 && IsSlash(*at)) {
      segments.emplace_back();
    } else {
      segments.back().append(at, next);
    }
    at = next;
  }
  return segments;
}

struct Anchored {
  std::string root;  // "Z:" or "\\server\share"
  std::string rest;  // what follows the root, relative to it
};

// Offset of the first separator at or after `from` (a character start).
std::size_t FindSeparator(const std::string& text, std::size_t from, bool utf8) {
  for (const char* at = text.c_str() + std::min(from, text.size()); *at != '\0';
       at = Next(at, utf8)) {
    if (IsSlash(*at)) return static_cast<std::size_t>(at - text.c_str());
  }
  return std::string::npos;
}

// "\\server\share" is the root of a network name.
Anchored AnchorNetworkName(const std::string& name, bool utf8) {
  const std::size_t serverEnd = FindSeparator(name, 2, utf8);
  const std::size_t shareEnd =
      serverEnd == std::string::npos ? serverEnd : FindSeparator(name, serverEnd + 1, utf8);
  std::string root = name.substr(0, shareEnd);
  for (char& c : root) {
    if (c == '/') c = '\\';
  }
  return {root, shareEnd == std::string::npos ? std::string() : name.substr(shareEnd)};
}

// Where a name starts from: its own drive or share, or the current directory.
Anchored Anchor(const std::string& name, bool utf8) {
  const std::string current = CurrentDirectory();
  const std::string currentDrive = current.substr(0, 2);
  if (name.size() >= 2 && IsSlash(name[0]) && IsSlash(name[1]))
    return AnchorNetworkName(name, utf8);
  if (name.size() >= 2 && name[1] == ':') {
    const std::string drive = name.substr(0, 2);  // the letter stays as written, as in Wine
    const std::string rest = name.substr(2);
    if (!rest.empty() && IsSlash(rest[0])) return {drive, rest};
    // "C:name" is relative to the current directory only on its own drive.
    const bool onCurrentDrive = UpperDrive(drive[0]) == UpperDrive(currentDrive[0]);
    return {drive, (onCurrentDrive ? current.substr(2) : std::string()) + "\\" + rest};
  }
  if (!name.empty() && IsSlash(name[0])) return {currentDrive, name};
  return {currentDrive, current.substr(2) + "\\" + name};
}

// A name that does not end in a separator loses its trailing dots and blanks.
void TrimLastSegment(std::string& segment) {
  if (segment == "." || segment == "..") return;
  while (!segment.empty() && (segment.back() == '.' || segment.back() == ' ')) {
    segment.pop_back();
  }
}

}  // namespace

std::string FullWindowsPath(const std::string& name, bool utf8) {
  const Anchored anchored = Anchor(name, utf8);
  std::vector<std::string> segments = Segments(anchored.rest, utf8);
  const bool endsInSeparator = segments.back().empty() && segments.size() > 1;
  TrimLastSegment(segments.back());
  std::vector<std::string> kept;
  for (const std::string& segment : segments) {
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(segment);
  }
  std::string full = anchored.root + "\\";
  for (std::size_t i = 0; i < kept.size(); ++i) {
    full += kept[i];
    if (i + 1 < kept.size() || endsInSeparator) full += '\\';
  }
  return full;
}

std::string PosixPath(const std::string& windowsPath) {
  std::string path = windowsPath;
  if (path.size() >= 2 && path[1] == ':') {
    const char drive = UpperDrive(path[0]);
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
