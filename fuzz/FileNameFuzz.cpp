// Random bytes as an executable's path, under code page 1252 or 932: the
// file names and the directory derived from it must be those of the plain
// model below.
#include <cstdint>
#include <string>

#include "CodePage932.h"
#include "Exceptions.h"
#include "ExecutablePath.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "StandInControl.h"
#include "TextFile.h"
#include "UnitVorlindeUtils.h"

namespace {

using standin::IsLeadByteOf932;

// Where the last character of `path` that is one of `delimiters` starts; a
// byte that follows a lead byte is part of its character, never a delimiter.
std::size_t LastDelimiter(const std::string& path, const std::string& delimiters, bool doubleByte) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (doubleByte && IsLeadByteOf932(path[i]) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] != '\0' && delimiters.find(path[i]) != std::string::npos) {
      last = i;
    }
  }
  return last;
}

std::string ModelReplaceExtension(const std::string& path, const std::string& suffix,
                                  bool doubleByte) {
  const std::size_t last = LastDelimiter(path, ".\\:", doubleByte);
  if (last == std::string::npos || path[last] != '.') return path + suffix;
  return path.substr(0, last) + suffix;
}

std::string ModelDirectory(const std::string& path, bool doubleByte) {
  const std::size_t last = LastDelimiter(path, "\\:", doubleByte);
  if (last == std::string::npos) return "\\";
  return path.substr(0, last + 1) + (path[last] == ':' ? "\\" : "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint8_t choice = input.Byte();
  const bool doubleByte = choice & 1;
  const std::string suffix = input.Text(choice >> 4);
  const std::string path = input.Rest();
  standin::SetAnsiCodePage(doubleByte ? 932 : 1252);

  Expect(ReplaceExtension(path, suffix) == ModelReplaceExtension(path, suffix, doubleByte),
         [&] { return "extension of " + Hex(path) + "with suffix " + Hex(suffix); });
  Expect(DirectoryWithBackslash(path) == ModelDirectory(path, doubleByte),
         [&] { return "directory of " + Hex(path); });

  // As the executable's own path: a path that cannot be taken whole is refused.
  if (path.find('\0') != std::string::npos) return 0;
  standin::SetModuleFileName(path);
  if (path.empty() || path.size() > 260) {
    bool refused = false;
    try {
      ExecutableDirectory();
    } catch (const EOSError&) {
      refused = true;
    }
    Expect(refused, "a path that does not fit was taken");
  } else {
    Expect(ExecutableDirectory() == ModelDirectory(path, doubleByte),
           [&] { return "executable directory of " + Hex(path); });
  }
  return 0;
}
