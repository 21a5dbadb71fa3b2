// The stand-in's conversions between code pages and UTF-16, for the code
// pages it plays: 1252 whole, UTF-8 whole, and of 932 the characters of one
// byte (ASCII and the half-width katakana). 932's double-byte characters
// would need its table of some 7,000 characters; the stand-in refuses them as
// Windows refuses a code page whose table it lacks (ERROR_INVALID_PARAMETER),
// so a test meets a refusal, never a made-up character. Of 1252's best-fit
// mappings (a character missing from the code page written as a similar
// one, unless WC_NO_BEST_FIT_CHARS) only those are played that turn a
// character into ASCII: the full-width forms, the dotted capital I and the
// two quote-like marks; what else 1252 lacks becomes the default character.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "Win32StandIn.h"

namespace standin {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Bytes 0x80 to 0x9F of code page 1252. The five it leaves undefined come
// out as the C1 control of the same number, as Windows' table has them.
constexpr char16_t kHighControlsOf1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Code page 932's half-width katakana: bytes 0xA1 to 0xDF, U+FF61 on.
constexpr unsigned char kFirstKatakanaByte = 0xA1;
constexpr unsigned char kLastKatakanaByte = 0xDF;
constexpr char16_t kFirstKatakana = 0xFF61;

// A conversion's outcome: the text, or the error the call fails with.
template <typename Text>
struct Converted {
  DWORD error;
  Text text;
};

template <typename Text>
Converted<Text> Failed(DWORD error) {
  return {error, Text()};
}

// ---- Bytes to UTF-16 ----------------------------------------------------------

std::u16string From1252(const std::string& bytes) {
  std::u16string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte >= 0x80 && byte <= 0x9F ? kHighControlsOf1252[byte - 0x80] : char16_t{byte};
  }
  return text;
}

Converted<std::u16string> From932(const std::string& bytes) {
  std::u16string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += char16_t{byte};
    } else if (byte >= kFirstKatakanaByte && byte <= kLastKatakanaByte) {
      text += static_cast<char16_t>(kFirstKatakana + (byte - kFirstKatakanaByte));
    } else {
      return Failed<std::u16string>(ERROR_INVALID_PARAMETER);  // beyond the stand-in's table
    }
  }
  return {ERROR_SUCCESS, text};
}

// The length of the longest start of `bytes` at `i` that can begin a
// well-formed UTF-8 sequence (at least 1), and the code point when the whole
// sequence is there.
struct Utf8Step {
  std::size_t length;
  bool complete;
  char32_t codePoint;
};

// How a surrogate's own three-byte form reads: as ill-formed, as the system
// reads UTF-8, or as that unit, as the stand-in keeps names that hold one.
enum class Surrogates { Refused, Kept };

Utf8Step NextUtf8(const std::string& bytes, std::size_t i, Surrogates surrogates) {
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return {1, true, lead};
  std::size_t length;
  char32_t codePoint;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;  // no overlong forms
    if (lead == 0xED && surrogates == Surrogates::Refused) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return {1, false, 0};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (i + k >= bytes.size()) return {k, false, 0};
    const unsigned char next = byte(i + k);
    if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return {k, false, 0};
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  return {length, true, codePoint};
}

// Ill-formed input: each longest start of a sequence that breaks off becomes
// one U+FFFD, as Unicode recommends and the system does (the text file test
// checks it against the real call); with MB_ERR_INVALID_CHARS the call fails.
Converted<std::u16string> FromUtf8(const std::string& bytes, bool strict,
                                   Surrogates surrogates = Surrogates::Refused) {
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Step step = NextUtf8(bytes, i, surrogates);
    i += step.length;
    if (!step.complete) {
      if (strict) return Failed<std::u16string>(ERROR_NO_UNICODE_TRANSLATION);
      text += kReplacementCharacter;
    } else if (step.codePoint >= 0x10000) {
      const char32_t above = step.codePoint - 0x10000;
      text += static_cast<char16_t>(0xD800 + (above >> 10));
      text += static_cast<char16_t>(0xDC00 + (above & 0x3FF));
    } else {
      text += static_cast<char16_t>(step.codePoint);
    }
  }
  return {ERROR_SUCCESS, text};
}

// ---- UTF-16 to bytes ------------------------------------------------------------

// The ASCII character that 1252's best fit writes for `unit`, or 0.
char BestFitOf1252(char16_t unit) {
  if (unit >= 0xFF01 && unit <= 0xFF5E) return static_cast<char>(unit - 0xFF01 + 0x21);
  if (unit == 0x0130) return 'I';
  if (unit == 0x02BA || unit == 0x030E) return '"';
  return 0;
}

std::string To1252(const std::u16string& text, char defaultChar, bool& usedDefault,
                   bool bestFit = true) {
  std::string bytes;
  for (const char16_t unit : text) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
      bytes += static_cast<char>(unit);
      continue;
    }
    if (bestFit && BestFitOf1252(unit) != 0) {
      bytes += BestFitOf1252(unit);
      continue;
    }
    const char16_t* found =
        std::find(std::begin(kHighControlsOf1252), std::end(kHighControlsOf1252), unit);
    if (found != std::end(kHighControlsOf1252)) {
      bytes += static_cast<char>(0x80 + (found - std::begin(kHighControlsOf1252)));
    } else {
      bytes += defaultChar;
      usedDefault = true;
    }
  }
  return bytes;
}

Converted<std::string> To932(const std::u16string& text) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char16_t lastKatakana = kFirstKatakana + (kLastKatakanaByte - kFirstKatakanaByte);
    if (unit < 0x80) {
      bytes += static_cast<char>(unit);
    } else if (unit >= kFirstKatakana && unit <= lastKatakana) {
      bytes += static_cast<char>(kFirstKatakanaByte + (unit - kFirstKatakana));
    } else {
      return Failed<std::string>(ERROR_INVALID_PARAMETER);  // beyond the stand-in's table
    }
  }
  return {ERROR_SUCCESS, bytes};
}

void AppendUtf8(std::string& bytes, char32_t codePoint) {
  if (codePoint < 0x80) {
    bytes += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    bytes += static_cast<char>(0xC0 | (codePoint >> 6));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    bytes += static_cast<char>(0xE0 | (codePoint >> 12));
    bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (codePoint >> 18));
    bytes += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// A surrogate without its partner becomes U+FFFD, or with
// WC_ERR_INVALID_CHARS fails the call; kept, it is written as its number.
Converted<std::string> ToUtf8(const std::u16string& text, bool strict,
                              Surrogates surrogates = Surrogates::Refused) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      AppendUtf8(bytes, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if ((high || low) && surrogates == Surrogates::Refused) {
      if (strict) return Failed<std::string>(ERROR_NO_UNICODE_TRANSLATION);
      AppendUtf8(bytes, kReplacementCharacter);
    } else {
      AppendUtf8(bytes, unit);
    }
  }
  return {ERROR_SUCCESS, bytes};
}

// ---- The calls' common rules ----------------------------------------------------

// The code page a call names, CP_ACP resolved; 0 for one the stand-in lacks.
UINT Played(UINT codePage) {
  if (codePage == CP_ACP) codePage = GetACP();
  return codePage == 1252 || codePage == 932 || codePage == CP_UTF8 ? codePage : 0;
}

template <typename Unit>
std::size_t Length(const Unit* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

// The input a call takes: `count` units, or up to and with the terminating
// zero when `count` is -1.
template <typename Unit>
std::basic_string<Unit> Input(const Unit* text, int count) {
  return std::basic_string<Unit>(text, count < 0 ? Length(text) + 1 : std::size_t(count));
}

// Copies `result` into the caller's buffer, or answers the size it needs
// when the caller gave none.
template <typename Unit>
int Deliver(const Converted<std::basic_string<Unit>>& result, Unit* buffer, int capacity) {
  if (result.error != ERROR_SUCCESS) {
    SetLastError(result.error);
    return 0;
  }
  const auto length = static_cast<int>(result.text.size());
  if (capacity == 0) return length;
  if (capacity < length) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, result.text.data(), result.text.size() * sizeof(Unit));
  return length;
}

// Upper case of one character, for the letters whose case the stand-in
// plays: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin letters. Others stay.
char32_t UpperCase(char32_t c) {
  const auto inRange = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
  if (inRange('a', 'z') || (inRange(0xE0, 0xFE) && c != 0xF7)) return c - 0x20;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A pairs its letters, the capital first except in two runs.
  if (inRange(0x100, 0x137) || inRange(0x14A, 0x177)) return c & ~char32_t{1};
  if (inRange(0x139, 0x148) || inRange(0x179, 0x17E)) return (c & 1) ? c : c - 1;
  if ((inRange(0x3B1, 0x3C9) && c != 0x3C2) || inRange(0x430, 0x44F)) return c - 0x20;
  if (inRange(0xFF41, 0xFF5A)) return c - 0x20;  // full-width letters
  if (inRange(0x450, 0x45F)) return c - 0x50;
  return c;
}

}  // namespace

std::u16string WideFromUtf8(const std::string& utf8) {
  return FromUtf8(utf8, false, Surrogates::Kept).text;
}

std::string Utf8FromWide(const std::u16string& wide) {
  return ToUtf8(wide, false, Surrogates::Kept).text;
}

bool Utf8FromAnsi(const std::string& ansi, std::string& utf8) {
  Converted<std::u16string> wide;
  if (Played(CP_ACP) == 932) {
    wide = From932(ansi);
  } else {
    wide = {ERROR_SUCCESS, From1252(ansi)};
  }
  if (wide.error != ERROR_SUCCESS) return false;
  utf8 = Utf8FromWide(wide.text);
  return true;
}

std::string AnsiFromUtf8(const std::string& utf8) {
  const std::u16string wide = WideFromUtf8(utf8);
  if (Played(CP_ACP) == 932) {
    const Converted<std::string> bytes = To932(wide);
    return bytes.error == ERROR_SUCCESS ? bytes.text : std::string(wide.size(), '?');
  }
  bool usedDefault = false;
  return To1252(wide, '?', usedDefault);
}

std::string FoldName(const std::string& utf8) {
  std::string folded;
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Step step = NextUtf8(utf8, i, Surrogates::Kept);
    if (step.complete) {
      AppendUtf8(folded, UpperCase(step.codePoint));
    } else {
      folded.append(utf8, i, step.length);
    }
    i += step.length;
  }
  return folded;
}

std::size_t Utf16Length(const std::string& utf8) { return WideFromUtf8(utf8).size(); }

}  // namespace standin

using namespace standin;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteCount,
                        LPWSTR wide, int wideCount) {
  const UINT played = Played(codePage);
  if (multiByte == nullptr || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0 ||
      (wide == nullptr && wideCount != 0) || played == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD allowed =
      played == CP_UTF8 ? MB_ERR_INVALID_CHARS : MB_PRECOMPOSED | MB_ERR_INVALID_CHARS;
  if ((flags & ~allowed) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const std::string bytes = Input(multiByte, multiByteCount);
  Converted<std::u16string> result;
  if (played == CP_UTF8) {
    result = FromUtf8(bytes, flags & MB_ERR_INVALID_CHARS);
  } else if (played == 932) {
    result = From932(bytes);
  } else {
    result = {ERROR_SUCCESS, From1252(bytes)};  // 1252 defines every byte
  }
  return Deliver(result, wide, wideCount);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCCH defaultChar, LPBOOL usedDefaultChar) {
  const UINT played = Played(codePage);
  if (wide == nullptr || wideCount == 0 || wideCount < -1 || multiByteCount < 0 ||
      (multiByte == nullptr && multiByteCount != 0) || played == 0 ||
      (played == CP_UTF8 && (defaultChar != nullptr || usedDefaultChar != nullptr))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD allowed = played == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  if ((flags & ~allowed) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const std::u16string text = Input(wide, wideCount);
  Converted<std::string> result;
  if (played == CP_UTF8) {
    result = ToUtf8(text, flags & WC_ERR_INVALID_CHARS);
  } else if (played == 932) {
    result = To932(text);
  } else {
    bool usedDefault = false;
    result = {ERROR_SUCCESS, To1252(text, defaultChar ? *defaultChar : '?', usedDefault,
                                    (flags & WC_NO_BEST_FIT_CHARS) == 0)};
    if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
  }
  return Deliver(result, multiByte, multiByteCount);
}
