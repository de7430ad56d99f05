#include "support/ezdxf.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_folder.h"

namespace tessaro::test {

namespace fs = std::filesystem;

bool HaveEzdxf() {
  const std::string python = TESSARO_PYTHON3;
  return !python.empty() && fs::exists(python);
}

std::string RunPython(const std::string& args, const fs::path& folder) {
  const fs::path out = folder / "python_out.txt";
  std::string command = "\"" TESSARO_PYTHON3 "\" " + args + " > \"" + out.string() + "\" 2>&1";
#ifdef _WIN32
  command = "\"" + command + "\"";  // cmd.exe strips the outermost pair of quotes
#endif
  const int status = std::system(command.c_str());
  std::string output = ReadBytes(out);
  fs::remove(out);
  EXPECT_EQ(status, 0) << args << "\n" << output;
  return output;
}

bool EzdxfAuditClean(const fs::path& dxf) {
  // "No errors found." only when ezdxf found nothing to fix either.
  const std::string audit = RunPython("-m ezdxf audit \"" + dxf.string() + "\"", dxf.parent_path());
  const bool clean = audit.find("No errors found.") != std::string::npos;
  EXPECT_TRUE(clean) << dxf << ":\n" << audit;
  return clean;
}

std::string EzdxfListing(const fs::path& dxf) {
  return RunPython("\"" TESSARO_SOURCE_DIR "/tests/support/ezdxf_listing.py\" \"" + dxf.string() + "\"",
                   dxf.parent_path());
}

}  // namespace tessaro::test
