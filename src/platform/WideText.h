// The program keeps its text in UTF-8; Windows takes and gives names, paths
// and registry text as UTF-16 through its "W" calls. Here, and only here,
// one becomes the other, so no character is lost to the ANSI code page.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Win32.h"

/// UTF-16 with its terminating zero. A vector, not a wide string: the
/// runtime's wide string would bring its own compiled instance along.
using WideText = std::vector<WCHAR>;

/// `utf8` as UTF-16, zero-terminated; an ill-formed sequence becomes U+FFFD.
WideText Widen(const std::string& utf8);

/// `text` in the code page `codePage` as UTF-16, zero-terminated.
WideText WidenFrom(UINT codePage, const std::string& text);

/// The first `length` units of `text` as UTF-8.
std::string Utf8From(const WCHAR* text, std::size_t length);

/// The first `length` units of `text` in the code page `codePage`; a
/// character it lacks becomes its default character.
std::string NarrowTo(UINT codePage, const WCHAR* text, std::size_t length);
