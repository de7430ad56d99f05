// Run-time errors of the engine: the kinds a drawing or load can fail with, so that
// callers can keep the stop-or-skip error styles and still tell the user what went wrong.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace tessaro {

enum class ErrorKind {
  Overflow,            // a 16-bit Integer or a Single left its range
  DivisionByZero,      // a division whose divisor is zero
  InvalidFloat,        // a floating-point result that is not a finite number
  MissingData,         // a missing element of a split text or an array
  BadNumber,           // a text that does not convert to a number
  FileNotFound,        // a file to read does not exist
  FileIo,              // a file could not be read or written
  BadFormat,           // a file whose content is not what was expected
};

const char* ErrorKindName(ErrorKind kind);

class RuntimeError : public std::runtime_error {
public:
  RuntimeError(ErrorKind kind, const std::string& message)
      : std::runtime_error(message), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

private:
  ErrorKind kind_;
};

[[noreturn]] void Raise(ErrorKind kind, const std::string& message);

// Runs one statement and swallows a RuntimeError: the "skip the failing statement
// and go on" style that the window's event handlers use.
template <class F>
void Skipping(F&& statement) {
  try {
    statement();
  } catch (const RuntimeError&) {
  }
}

// What the "skip and go on" statements of a drawing swallowed: the drawing goes on, and
// whoever writes it afterwards can tell a whole drawing from one with holes.
class SkippedErrors {
public:
  void Add(const RuntimeError& error) {
    if (!first_) first_ = error;
    ++count_;
  }
  int count() const { return count_; }
  const std::optional<RuntimeError>& first() const { return first_; }
  void Clear() {
    count_ = 0;
    first_.reset();
  }

private:
  int count_ = 0;
  std::optional<RuntimeError> first_;
};

// Runs one statement; a RuntimeError is recorded in `skipped` and the caller goes on.
template <class F>
void Skipping(SkippedErrors& skipped, F&& statement) {
  try {
    statement();
  } catch (const RuntimeError& error) {
    skipped.Add(error);
  }
}

}  // namespace tessaro
