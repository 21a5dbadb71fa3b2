// A broken expectation ends the fuzzer's run: libFuzzer then keeps the input
// that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>

/// Ends the run when `holds` is false. `what` is a text, or a function that
/// makes one: a check that holds then builds no message.
template <typename What>
void Expect(bool holds, What what) {
  if (holds) return;
  std::string text;
  if constexpr (std::is_invocable_v<What>) {
    text = what();
  } else {
    text = what;
  }
  std::fprintf(stderr, "model mismatch: %s\n", text.c_str());
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
