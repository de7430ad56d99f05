// Fuzz target: the load of a column stack from a project folder. The input is the stack's
// files one after another, separated by lines "@@": first the stack index file P1.pst,
// then the piece files Dis/1.pxf, Dis/2.pxf, ... (fuzz/make_seeds.py writes the example
// stacks so). The drawing options come from the input's length, so both are fuzzed. A
// load that calls its drawing whole must give a drawing the DXF writer takes whole.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "column_stack/stack_load.h"
#include "dxf_write/writer.h"

namespace {

namespace fs = std::filesystem;

// One scratch project per process, emptied for every input.
const fs::path& ScratchFolder() {
  static const fs::path folder = [] {
    std::string name = (fs::temp_directory_path() / "tessaro-fuzz-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) std::abort();
    return fs::path(name);
  }();
  return folder;
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaro;
  const fs::path& folder = ScratchFolder();
  fs::remove_all(folder / "Dis");
  fs::create_directories(folder / "Dis");
  std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kSeparator = "\n@@\n";
  for (int n = 0;; ++n) {
    const std::size_t end = input.find(kSeparator);
    const std::string_view part = input.substr(0, end);
    WriteFile(n == 0 ? folder / "P1.pst" : folder / "Dis" / (std::to_string(n) + ".pxf"), part);
    if (end == std::string_view::npos || n == 50) break;
    input.remove_prefix(end + kSeparator.size());
  }
  Drawing drawing;
  Canvas canvas{drawing, NumberFormat{}};
  StackSession session;
  session.options.option1 = (size & 1) != 0;
  session.options.option2 = (size & 2) != 0;
  try {
    const StackLoadResult result = LoadStack(canvas, session, folder, "1");
    if (const auto problem = LoadProblemOf(result, folder / "P1.pst")) {
      if (std::string_view(problem->what()).empty()) __builtin_trap();
    } else {
      WriteDxf(drawing, [](std::string_view) {});
    }
  } catch (const RuntimeError&) {
    __builtin_trap();  // a load reports its problems, it does not raise them
  }
  return 0;
}
