// The stand-in's COM: a new GUID of random bits, as Windows makes one
// (version 4), so that two stand-in machines never share an identity.
#include <random>

#include "Internal.h"

HRESULT CoCreateGuid(GUID* guid) {
  constexpr DWORD kInvalidArgument = 0x80070057;
  if (guid == nullptr) return static_cast<HRESULT>(kInvalidArgument);
  std::random_device source;
  std::uniform_int_distribution<unsigned> byte(0, 255);
  BYTE bits[16];
  for (BYTE& bit : bits) bit = static_cast<BYTE>(byte(source));
  bits[7] = static_cast<BYTE>((bits[7] & 0x0F) | 0x40);  // version 4
  bits[8] = static_cast<BYTE>((bits[8] & 0x3F) | 0x80);  // the standard variant
  guid->Data1 = DWORD{bits[0]} | DWORD{bits[1]} << 8 | DWORD{bits[2]} << 16 | DWORD{bits[3]} << 24;
  guid->Data2 = static_cast<WORD>(bits[4] | bits[5] << 8);
  guid->Data3 = static_cast<WORD>(bits[6] | bits[7] << 8);
  for (int i = 0; i < 8; ++i) guid->Data4[i] = bits[8 + i];
  return 0;
}
