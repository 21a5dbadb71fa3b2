#include "WideText.h"

#include <climits>

namespace {

// The conversion calls refuse an empty input; an empty text needs none.
int Length(std::size_t size) { return size > INT_MAX ? 0 : static_cast<int>(size); }

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

WideText WidenFrom(UINT codePage, const std::string& text) {
  WideText wide(1, 0);
  const int length = Length(text.size());
  const int needed =
      length == 0 ? 0 : MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return wide;
  wide.resize(static_cast<std::size_t>(needed) + 1, 0);
  if (MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed) != needed) {
    return WideText(1, 0);
  }
  return wide;
}

WideText Widen(const std::string& utf8) { return WidenFrom(CP_UTF8, utf8); }

WideName::WideName(const std::string& utf8) {
  units_[0] = 0;
  const int length = Length(utf8.size());
  if (length == 0) return;
  // One call with the room there is; only a name that does not fit is
  // measured and converted again.
  const int converted = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, units_, kUnits - 1);
  if (converted > 0) {
    units_[converted] = 0;
  } else {
    longer_ = Widen(utf8);
  }
}

std::string Utf8From(const WCHAR* text, std::size_t length) {
  return NarrowTo(CP_UTF8, text, length);
}
