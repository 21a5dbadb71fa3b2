#include "StandardOutput.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "WideText.h"
#include "Win32.h"

namespace {

// Consoles of older systems refuse a larger write for want of buffer space.
constexpr std::size_t kConsoleChunk = 8192;

// Without the terminating zero, which neither write call wants.
WideText UnitsOf(const std::string& utf8) {
  WideText wide = Widen(utf8);
  wide.pop_back();
  return wide;
}

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Both write calls may take less than they were given; what is left goes
// again, and a call that takes nothing ends the attempt.
bool WriteToConsole(HANDLE console, const WideText& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    std::size_t count = std::min(kConsoleChunk, text.size() - done);
    // A surrogate pair stays in one piece.
    if (done + count < text.size() && IsHighSurrogate(text[done + count - 1])) --count;
    DWORD written = 0;
    if (!WriteConsoleW(console, text.data() + done, static_cast<DWORD>(count), &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += std::min<std::size_t>(written, count);
  }
  return true;
}

bool WriteToFile(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto count = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, INT_MAX));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, count, &written, nullptr) || written == 0) {
      return false;
    }
    done += std::min<std::size_t>(written, count);
  }
  return true;
}

}  // namespace

bool WriteStandardOutput(const std::string& text) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
  if (text.empty()) return true;
  const WideText wide = UnitsOf(text);
  if (wide.empty()) return false;
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) return WriteToConsole(output, wide);
  // A reader of the file takes only well-formed UTF-8; a name's lone
  // surrogate shows as U+FFFD there.
  const std::string utf8 = WellFormedUtf8From(wide.data(), wide.size());
  return !utf8.empty() && WriteToFile(output, utf8);
}

bool StandardOutputIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}
