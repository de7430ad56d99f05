// Fuzz target: the piece file reader, from the file's bytes to the record and the summary
// of the first pass, and the messages of the errors it raises.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "column_stack/stack_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaro;
  const std::string text = TextOfFileBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    const ColumnPiece piece = ReadPieceRecord(text);
    StackArrays arrays;
    arrays.Reset(2);
    Single firstSide1 = 0;
    Single firstSide2 = 0;
    ReadPieceSummary(text, firstSide1, firstSide2, 0, arrays);
    ReadPieceSummary(text, firstSide1, firstSide2, 1, arrays);
    if (piece.side1 != arrays.side1[1]) __builtin_trap();  // both passes read the same value
  } catch (const StackFileError& error) {
    if (std::string_view(error.what()).empty()) __builtin_trap();
  } catch (const RuntimeError&) {
    __builtin_trap();  // the reader raises StackFileError only
  }
  return 0;
}
