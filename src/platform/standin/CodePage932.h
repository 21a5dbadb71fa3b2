// Code page 932's lead bytes: the stand-in's double-byte code page, and the
// fuzz targets' models of it, read them from here.
#pragma once

#include <cstddef>

namespace standin {

/// The lead-byte ranges as GetCPInfo lists them: first and last byte of each
/// range, in pairs.
inline constexpr unsigned char kLeadByteRangesOf932[] = {0x81, 0x9F, 0xE0, 0xFC};

/// Whether `byte` starts a double-byte character in code page 932.
constexpr bool IsLeadByteOf932(unsigned char byte) {
  for (std::size_t i = 0; i + 1 < sizeof kLeadByteRangesOf932; i += 2) {
    if (byte >= kLeadByteRangesOf932[i] && byte <= kLeadByteRangesOf932[i + 1]) return true;
  }
  return false;
}

}  // namespace standin
