// Where a tool's words go: a small writer of our own rather than the
// C++ streams, whose runtime would be most of the program's size. Texts are
// in UTF-8, as the program holds them.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

class TextOut {
 public:
  virtual ~TextOut() = default;

  TextOut& operator<<(const std::string& text) {
    Write(text);
    return *this;
  }
  TextOut& operator<<(const char* text) { return *this << std::string(text); }
  template <typename Number, typename = std::enable_if_t<std::is_integral_v<Number>>>
  TextOut& operator<<(Number number) {
    return *this << std::to_string(number);
  }

 protected:
  virtual void Write(const std::string& text) = 0;
};

/// Keeps everything written, for the caller to read back.
class TextBuffer : public TextOut {
 public:
  const std::string& Text() const { return text_; }

 protected:
  void Write(const std::string& text) override { text_ += text; }

 private:
  std::string text_;
};

/// Drops everything: for a run that nobody watches.
class NoTextOut : public TextOut {
 protected:
  void Write(const std::string&) override {}
};
