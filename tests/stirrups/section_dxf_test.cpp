// A section with stirrups and ties written to a DXF file: ezdxf's auditor finds no errors,
// and a strict read gets back every entity and the labels with their diameter sign.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/dxf_file.h"
#include "platform/errors.h"
#include "stirrups/section_stirrups.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

// The split layouts of a tall and of a wide section, which between them use four of the
// closed-stirrup members and both tie styles.
Drawing SectionsWithStirrups() {
  Drawing drawing;
  drawing.SetCurrentLayer("Sezioni");
  Canvas canvas{drawing, NumberFormat{}};

  SectionStirrupInput tall;
  tall.xi0 = 4, tall.yi0 = 4, tall.xi1 = 26, tall.yi1 = 46;
  tall.s1 = 3, tall.s2 = 5, tall.n1 = 3, tall.n2 = 2;
  tall.d1 = 1.6f, tall.d2 = 1.4f, tall.ds = 0.8f;
  tall.W = 30, tall.D = 50, tall.sx = 11, tall.sy = 14;
  DrawSectionStirrups(canvas, DrawOptions{true, true}, tall);

  SectionStirrupInput wide;
  wide.xi0 = 304, wide.yi0 = 4, wide.xi1 = 346, wide.yi1 = 26;
  wide.s1 = 5, wide.s2 = 3, wide.n1 = 5, wide.n2 = 3;
  wide.d1 = 1.6f, wide.d2 = 1.4f, wide.ds = 1;
  wide.W = 50, wide.D = 30, wide.sx = 10.5f, wide.sy = 11;
  DrawSectionStirrups(canvas, DrawOptions{true, false}, wide);
  return drawing;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs python3 with the arguments and returns what it printed.
std::string RunPython(const std::string& arguments, const fs::path& output) {
  std::string command = std::string("\"") + TESSARO_PYTHON3 + "\" " + arguments + " > \"" + output.string() +
                        "\" 2>&1";
#ifdef _WIN32
  command = "\"" + command + "\"";  // cmd.exe strips the outermost pair of quotes
#endif
  const int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << command << "\n" << ReadAll(output);
  return ReadAll(output);
}

constexpr const char* kStrictRead = R"(import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
print("entities", len(msp))
print("labels", sum(1 for e in msp.query("TEXT") if "\u00d8" in e.dxf.text))
print("layers", sorted({e.dxf.layer for e in msp}))
)";

TEST(SectionDxf, SectionWithStirrupsPassesTheEzdxfAudit) {
  if (std::string(TESSARO_PYTHON3).empty()) GTEST_SKIP() << "no python3 to run ezdxf";
  const Drawing drawing = SectionsWithStirrups();
  ASSERT_EQ(drawing.EntityCount(), 131u);  // 68 for the tall section, 63 for the wide one

  const fs::path folder = fs::path(::testing::TempDir()) / "tessaro_stirrups_dxf";
  fs::create_directories(folder);
  const fs::path file = folder / "section.dxf";
  try {
    WriteDxfFile(drawing, file);
  } catch (const RuntimeError& e) {
    const std::string what = e.what();
    if (what.find("not implemented") != std::string::npos) GTEST_SKIP() << "no DXF writer yet: " << what;
    FAIL() << what;
  }

  const std::string audit = RunPython("-m ezdxf audit \"" + file.string() + "\"", folder / "audit.txt");
  EXPECT_TRUE(audit.find("No errors found.") != std::string::npos ||
              audit.find("Found 0 errors") != std::string::npos)
      << audit;
  EXPECT_EQ(audit.find("Invalid or corrupted"), std::string::npos) << audit;

  {
    std::ofstream script(folder / "strict_read.py");
    script << kStrictRead;
  }
  const std::string read =
      RunPython("\"" + (folder / "strict_read.py").string() + "\" \"" + file.string() + "\"", folder / "read.txt");
  EXPECT_NE(read.find("entities 131"), std::string::npos) << read;
  EXPECT_NE(read.find("labels 8"), std::string::npos) << read;
  EXPECT_NE(read.find("layers ['Sezioni']"), std::string::npos) << read;
}

}  // namespace
}  // namespace tessaro
