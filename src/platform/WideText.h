// The program keeps its text in UTF-8; Windows takes and gives names, paths
// and registry text as UTF-16 through its "W" calls. Here, and only here,
// one becomes the other, so no character is lost to the ANSI code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Win32.h"

/// UTF-16 with its terminating zero. A vector, not a wide string: the
/// runtime's wide string would bring its own compiled instance along.
using WideText = std::vector<WCHAR>;

/// `utf8` as UTF-16, zero-terminated. The three-byte form of a surrogate,
/// as Utf8From writes a lone one, gives that unit back; any other
/// ill-formed sequence becomes U+FFFD.
WideText Widen(std::string_view utf8);

/// The same for a name asked for over and over (a value name, the path of a
/// key opened once per listed key): a short one is converted once into room
/// of its own, with no allocation, as a plain program's wide literal would
/// be; a longer one goes through Widen.
class WideName {
 public:
  explicit WideName(std::string_view utf8);
  WideName(const WideName&) = delete;
  WideName& operator=(const WideName&) = delete;
  const WCHAR* data() const { return longer_.empty() ? units_ : longer_.data(); }

 private:
  // An extension key's path from the hive down takes 87 units.
  static constexpr std::size_t kUnits = 128;
  WCHAR units_[kUnits];
  WideText longer_;
};

/// The first `length` units of `text` as UTF-8. Windows' names may hold a
/// surrogate without its partner; it keeps the three-byte form of its
/// number, so that Widen gives the very name back and the key or file it
/// names can be opened. Not for a reader outside the program: see
/// WellFormedUtf8From.
std::string Utf8From(const WCHAR* text, std::size_t length);

/// The first `length` units of `text` as UTF-8 that any reader accepts: a
/// lone surrogate becomes U+FFFD.
std::string WellFormedUtf8From(const WCHAR* text, std::size_t length);

/// The first `length` units of `text` in the code page `codePage`; a
/// character it lacks becomes its default character.
std::string NarrowTo(UINT codePage, const WCHAR* text, std::size_t length);
