// Fuzz target: the DXF reader, from the text of a file to a drawing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dxf/reader.h"
#include "base/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessaro::Drawing drawing;
  try {
    tessaro::ReadDxfText(std::string(reinterpret_cast<const char*>(data), size), drawing, "fuzz.dxf");
  } catch (const tessaro::RuntimeError&) {
  }
  return 0;
}
