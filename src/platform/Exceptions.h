// The program's failure classes. Every one carries its message; EOSError also
// carries the system error code it was raised for.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

class ERegistryException : public Exception {
  using Exception::Exception;
};

class EAssertionFailed : public Exception {
  using Exception::Exception;
};

class EStreamError : public Exception {
  using Exception::Exception;
};

class EFileStreamError : public EStreamError {
  using EStreamError::EStreamError;
};

class EFCreateError : public EFileStreamError {
  using EFileStreamError::EFileStreamError;
};

class EFilerError : public EStreamError {
  using EStreamError::EStreamError;
};

class EWriteError : public EFilerError {
  using EFilerError::EFilerError;
};

class EOSError : public Exception {
 public:
  EOSError(std::string message, std::uint32_t errorCode)
      : Exception(std::move(message)), errorCode_(errorCode) {}
  std::uint32_t ErrorCode() const { return errorCode_; }

 private:
  std::uint32_t errorCode_;
};

/// An always-active check of the program's own routines: raises
/// EAssertionFailed carrying `text` when `condition` does not hold.
void Check(bool condition, const char* text = "");

/// Substitutes the arguments, in order, for the "%s" placeholders of
/// `format`; a "%s" inside an argument stays as it is.
std::string FormatMessageText(const char* format, std::initializer_list<std::string> arguments);
