// ezdxf (python3-ezdxf) as the independent DXF reader of the tests: its audit, and the
// listing of tests/support/ezdxf_listing.py, which prints what ListDrawing prints.
#pragma once

#include <filesystem>
#include <string>

namespace tessaro::test {

// Whether python3 is there to run ezdxf (a cross-compiled build runs without it).
bool HaveEzdxf();
// The output of python3 with `args`, written through a file in `folder`; the exit status
// must be 0.
std::string RunPython(const std::string& args, const std::filesystem::path& folder);
// True when `ezdxf audit` finds nothing to report or fix; otherwise a failure with its words.
bool EzdxfAuditClean(const std::filesystem::path& dxf);
std::string EzdxfListing(const std::filesystem::path& dxf);

}  // namespace tessaro::test
