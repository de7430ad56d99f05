// The PDF sheet of each written drawing (--pdf). Painting needs Qt Gui, so a tessaro-batch
// built without Qt (the Windows cross build, for one) has no PDF output and says so.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "cad/drawing.h"
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

// The stack's sheet: its drawing at the sheet's scale, the title block (`project`, the
// stack, today's date) and the schedule as a table. Written atomically; raises
// RuntimeError (FileIo), also in a build without PDF output.
void WriteStackPdf(const std::filesystem::path& path, const Drawing& drawing, const StackSchedule& schedule,
                   std::string_view project, const NumberFormat& numbers);

}  // namespace tessaro
