// Layout values written as the hexadecimal bytes people read them in.
#pragma once

#include <string>

namespace testreg {

/// "07 00 00 00" -> the four bytes.
std::string Hex(const std::string& text);
/// The bytes as "07 00 00 00".
std::string ToHex(const std::string& bytes);

}  // namespace testreg
