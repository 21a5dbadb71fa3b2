// Code page and comparison services of the stand-in: code page 1252 by
// default, 932's lead bytes when a test switches to a double-byte code page.
#include <algorithm>

#include "CodePage932.h"
#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

UINT g_codePage = 1252;

bool IsDoubleByte() { return g_codePage == 932; }

}  // namespace

void ResetText() { g_codePage = 1252; }

void SetAnsiCodePage(UINT codePage) { g_codePage = codePage; }

unsigned char FoldToUpper(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return static_cast<unsigned char>(byte - 0x20);
  if (IsDoubleByte()) return byte;
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<unsigned char>(byte - 0x20);
  switch (byte) {
    case 0x9A:
      return 0x8A;  // s caron
    case 0x9C:
      return 0x8C;  // oe
    case 0x9E:
      return 0x8E;  // z caron
    case 0xFF:
      return 0x9F;  // y diaeresis
    default:
      return byte;
  }
}

std::string FoldToUpper(const std::string& text) {
  std::string folded(text);
  // A trail byte is not a letter of its own.
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<BYTE>(folded[i]);
    if (IsDBCSLeadByte(byte) && i + 1 < folded.size()) {
      ++i;
      continue;
    }
    folded[i] = static_cast<char>(FoldToUpper(byte));
  }
  return folded;
}

}  // namespace standin

using standin::g_codePage;

UINT GetACP() { return g_codePage; }

BOOL GetCPInfo(UINT codePage, LPCPINFO info) {
  if (info == nullptr || codePage != CP_ACP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *info = CPINFO{};
  info->DefaultChar[0] = '?';
  if (standin::IsDoubleByte()) {
    info->MaxCharSize = 2;
    std::copy(std::begin(standin::kLeadByteRangesOf932), std::end(standin::kLeadByteRangesOf932),
              info->LeadByte);
  } else {
    info->MaxCharSize = 1;
  }
  return TRUE;
}

BOOL IsDBCSLeadByte(BYTE testChar) {
  return standin::IsDoubleByte() && standin::IsLeadByteOf932(testChar);
}

LPSTR CharNextA(LPCSTR current) {
  if (*current == '\0') return const_cast<LPSTR>(current);
  if (IsDBCSLeadByte(static_cast<BYTE>(*current)) && current[1] != '\0') {
    return const_cast<LPSTR>(current + 2);
  }
  return const_cast<LPSTR>(current + 1);
}

namespace standin {
namespace {

// The soft hyphen weighs nothing in the locales' collation, which passes
// over it as if it were not there; of the many such characters the stand-in
// plays this one.
constexpr char16_t kSoftHyphen = 0x00AD;

std::u16string Units(LPCWSTR text, int count, bool collated) {
  std::u16string units;
  for (int i = 0; count < 0 ? text[i] != 0 : i < count; ++i) {
    if (!collated || text[i] != kSoftHyphen) units += text[i];
  }
  return units;
}

int Order(const std::string& a, const std::string& b) {
  const int order = a.compare(b);
  return order < 0 ? CSTR_LESS_THAN : order == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN;
}

}  // namespace
}  // namespace standin

// The user's locale is one without a case rule of its own: the dotted
// capital I is no capital of "i" there, as it is in Turkish. A full-width
// letter is the same letter in another width, which only NORM_IGNOREWIDTH
// would pass over. Equality is what the program relies on; the order is that
// of the folded characters.
int CompareStringW(LCID, DWORD flags, LPCWSTR string1, int count1, LPCWSTR string2, int count2) {
  if (string1 == nullptr || string2 == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string a = standin::Utf8FromWide(standin::Units(string1, count1, true));
  std::string b = standin::Utf8FromWide(standin::Units(string2, count2, true));
  if (flags & NORM_IGNORECASE) {
    a = standin::FoldName(a);
    b = standin::FoldName(b);
  }
  return standin::Order(a, b);
}

// Unit by unit, each in the upper case the registry folds names by.
int CompareStringOrdinal(LPCWCH string1, int count1, LPCWCH string2, int count2, BOOL ignoreCase) {
  if (string1 == nullptr || string2 == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string a = standin::Utf8FromWide(standin::Units(string1, count1, false));
  std::string b = standin::Utf8FromWide(standin::Units(string2, count2, false));
  if (ignoreCase) {
    a = standin::FoldName(a);
    b = standin::FoldName(b);
  }
  return standin::Order(a, b);
}
