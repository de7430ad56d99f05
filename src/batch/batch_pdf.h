// The PDF sheet of each written drawing (--pdf). Painting needs Qt Gui, so a tessaro-batch
// built without Qt (the Windows cross build, for one) has no PDF output and says so.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "cad/drawing.h"
#include "project/project_data.h"
#include "text/numbers.h"
#include "schedule/schedule.h"

namespace tessaro {

// Whether this build can write PDF sheets.
bool PdfAvailable();

// "Pilastrata_<id>.pdf".
std::string PdfFileName(std::string_view stackId);

// What painting needs for the whole run: a headless Qt Gui application (fonts), made
// unless the process already has one. Hold one while sheets are written.
class PdfSupport {
public:
  PdfSupport();
  ~PdfSupport();
  PdfSupport(const PdfSupport&) = delete;
  PdfSupport& operator=(const PdfSupport&) = delete;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// What every sheet of a run shares: the project's name and data for the title block, and
// black and white or colour.
struct SheetData {
  std::string project;
  ProjectData data;
  bool colour = false;
};

// The stack's sheets: its views at their scales, the title block (the project, its data,
// the stack, today's date) and the schedule as a table. Written atomically; raises
// RuntimeError (FileIo), also in a build without PDF output. Returns how many texts of the
// drawing found no free place on paper and were left out.
int WriteStackPdf(const std::filesystem::path& path, const Drawing& drawing, const StackSchedule& schedule,
                  const SheetData& sheet, const NumberFormat& numbers);

}  // namespace tessaro
