#include "WideText.h"

#include <climits>

namespace {

constexpr WCHAR kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The conversion calls refuse an empty input; an empty text needs none.
int Length(std::size_t size) { return size > INT_MAX ? 0 : static_cast<int>(size); }

// One sequence of `utf8` from `at`: its length, and its number when whole.
// The three-byte forms of surrogates are taken as what Utf8From writes for
// a lone one; an ill-formed start counts as far as it can begin a sequence.
struct Sequence {
  std::size_t length;
  bool whole;
  char32_t number;
};

Sequence NextSequence(std::string_view utf8, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {1, true, lead};
  std::size_t length = 0;
  char32_t number = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, number = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, number = lead & 0x0F, low = lead == 0xE0 ? 0xA0 : 0x80;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, number = lead & 0x07, low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {1, false, 0};
  }
  for (std::size_t k = 1; k < length; ++k) {
    if (at + k >= utf8.size()) return {k, false, 0};
    const unsigned char next = byte(at + k);
    if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return {k, false, 0};
    number = number << 6 | (next & 0x3F);
  }
  return {length, true, number};
}

void AppendUtf8(std::string& bytes, char32_t number) {
  if (number < 0x80) {
    bytes += static_cast<char>(number);
    return;
  }
  const int trailing = number < 0x800 ? 1 : number < 0x10000 ? 2 : 3;
  constexpr unsigned char kLeads[] = {0, 0xC0, 0xE0, 0xF0};
  bytes += static_cast<char>(kLeads[trailing] | (number >> (6 * trailing)));
  for (int k = trailing - 1; k >= 0; --k) {
    bytes += static_cast<char>(0x80 | ((number >> (6 * k)) & 0x3F));
  }
}

// Decodes `utf8` into `units`, as far as `capacity` units go; the number of
// units the whole text takes, never more than its bytes.
std::size_t Decode(std::string_view utf8, WCHAR* units, std::size_t capacity) {
  // Names are ASCII as good as always: their run goes across unit by unit.
  std::size_t count = 0;
  while (count < utf8.size() && count < capacity && static_cast<unsigned char>(utf8[count]) < 0x80) {
    units[count] = static_cast<WCHAR>(utf8[count]);
    ++count;
  }
  const auto put = [&](char32_t unit) {
    if (count < capacity) units[count] = static_cast<WCHAR>(unit);
    ++count;
  };
  for (std::size_t at = count; at < utf8.size();) {
    const Sequence sequence = NextSequence(utf8, at);
    at += sequence.length;
    if (!sequence.whole) {
      put(kReplacement);
    } else if (sequence.number >= 0x10000) {
      put(0xD800 + ((sequence.number - 0x10000) >> 10));
      put(0xDC00 + ((sequence.number - 0x10000) & 0x3FF));
    } else {
      put(sequence.number);
    }
  }
  return count;
}

}  // namespace

std::string NarrowTo(UINT codePage, const WCHAR* text, std::size_t size) {
  const int length = Length(size);
  const int needed =
      length == 0 ? 0
                  : WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  if (WideCharToMultiByte(codePage, 0, text, length, &bytes[0], needed, nullptr, nullptr) !=
      needed) {
    return std::string();
  }
  return bytes;
}

WideText Widen(std::string_view utf8) {
  WideText wide(utf8.size() + 1, 0);
  wide.resize(Decode(utf8, wide.data(), wide.size()) + 1);
  wide.back() = 0;
  return wide;
}

WideName::WideName(std::string_view utf8) {
  // Converted once into the room there is; only a name that does not fit
  // goes through Widen.
  const std::size_t count = Decode(utf8, units_, kUnits - 1);
  if (count < kUnits) {
    units_[count] = 0;
  } else {
    longer_ = Widen(utf8);
  }
}

std::string Utf8From(const WCHAR* text, std::size_t length) {
  std::size_t ascii = 0;  // the leading ASCII run, byte for unit
  while (ascii < length && text[ascii] < 0x80) ++ascii;
  std::string bytes(text, text + ascii);
  if (ascii == length) return bytes;
  bytes.reserve(length + (length - ascii) * 2);
  for (std::size_t i = ascii; i < length; ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(bytes, 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else {
      AppendUtf8(bytes, unit);  // a lone surrogate as its number
    }
  }
  return bytes;
}

std::string WellFormedUtf8From(const WCHAR* text, std::size_t length) {
  return NarrowTo(CP_UTF8, text, length);
}
