// Random bytes as an executable's path, under code page 1252 or 932: the
// file names and the directory derived from it must be those of the plain
// model below. Paths are UTF-8, whose longer characters hold no ASCII byte,
// so the code page changes nothing.
#include <cstdint>
#include <string>

#include "Exceptions.h"
#include "ExecutablePath.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "StandInControl.h"
#include "TextFile.h"
#include "UnitVorlindeUtils.h"
#include "Win32.h"

namespace {

// Where the last byte of `path` that is one of `delimiters` stands.
std::size_t LastDelimiter(const std::string& path, const std::string& delimiters) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '\0' && delimiters.find(path[i]) != std::string::npos) last = i;
  }
  return last;
}

std::string ModelReplaceExtension(const std::string& path, const std::string& suffix) {
  const std::size_t last = LastDelimiter(path, ".\\:");
  if (last == std::string::npos || path[last] != '.') return path + suffix;
  return path.substr(0, last) + suffix;
}

std::string ModelDirectory(const std::string& path) {
  const std::size_t last = LastDelimiter(path, "\\:");
  if (last == std::string::npos) return "\\";
  return path.substr(0, last + 1) + (path[last] == ':' ? "\\" : "");
}

// The path's length in UTF-16 units, as the system counts it; -1 when it is
// no well-formed UTF-8 (the system would give it back changed).
int WideLength(const std::string& path) {
  if (path.empty()) return 0;
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                         static_cast<int>(path.size()), nullptr, 0);
  return length > 0 ? length : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint8_t choice = input.Byte();
  const bool doubleByte = choice & 1;
  const std::string suffix = input.Text(choice >> 4);
  const std::string path = input.Rest();
  standin::SetAnsiCodePage(doubleByte ? 932 : 1252);

  Expect(ReplaceExtension(path, suffix) == ModelReplaceExtension(path, suffix),
         [&] { return "extension of " + Hex(path) + "with suffix " + Hex(suffix); });
  Expect(DirectoryWithBackslash(path) == ModelDirectory(path),
         [&] { return "directory of " + Hex(path); });

  // As the executable's own path: a path that cannot be taken whole is refused.
  const int length = WideLength(path);
  if (path.find('\0') != std::string::npos || length < 0) return 0;
  standin::SetModuleFileName(path);
  if (length == 0 || length > 260) {
    bool refused = false;
    try {
      ExecutableDirectory();
    } catch (const EOSError&) {
      refused = true;
    }
    Expect(refused, "a path that does not fit was taken");
  } else {
    Expect(ExecutableDirectory() == ModelDirectory(path),
           [&] { return "executable directory of " + Hex(path); });
  }
  return 0;
}
