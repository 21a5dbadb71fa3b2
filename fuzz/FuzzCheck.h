// A broken expectation ends the fuzzer's run: libFuzzer then keeps the input
// that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline void Expect(bool holds, const std::string& what) {
  if (holds) return;
  std::fprintf(stderr, "model mismatch: %s\n", what.c_str());
  std::abort();
}

/// Bytes shown as hexadecimal, for the message of a mismatch.
inline std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string shown;
  for (const unsigned char byte : bytes) {
    shown += digits[byte >> 4];
    shown += digits[byte & 15];
    shown += ' ';
  }
  return shown;
}
