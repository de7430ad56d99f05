#include "base/errors.h"

namespace tessaro {

const char* ErrorKindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Overflow: return "overflow";
    case ErrorKind::DivisionByZero: return "division by zero";
    case ErrorKind::InvalidFloat: return "invalid floating-point result";
    case ErrorKind::MissingData: return "missing data";
    case ErrorKind::BadNumber: return "not a number";
    case ErrorKind::FileNotFound: return "file not found";
    case ErrorKind::FileIo: return "file input/output error";
    case ErrorKind::BadFormat: return "bad file format";
  }
  return "error";
}

void Raise(ErrorKind kind, const std::string& message) { throw RuntimeError(kind, message); }

}  // namespace tessaro
