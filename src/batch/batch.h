// The batch generation of the command-line tool: draws the column stacks of a project one
// after another, as the window does, and writes each drawing as Pilastrata_<id>.dxf.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/numbers.h"
#include "schedule/bvbs.h"
#include "schedule/schedule.h"
#include "stirrups/draw_options.h"

namespace tessaro {

// A command line that does not say what to do; the message says what is wrong.
class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One writer per core: making the DXF text costs more than drawing, so with two cores
// the drawing thread and two writers keep both busy.
int DefaultWriterThreads();

struct BatchOptions {
  std::filesystem::path project;
  std::vector<std::string> stacks;            // empty: every stack of the project
  std::optional<std::filesystem::path> outDir;  // default: PROJECT/Disegni
  DrawOptions draw;
  NumberFormat numbers = NumberFormat::UserLocale();
  // Threads that turn finished drawings into files while the next stacks are drawn; 0
  // writes on the drawing thread. Every file is made from its own drawing alone, so the
  // files are the same whatever the count (0 is there to check exactly that).
  int writerThreads = DefaultWriterThreads();
  // Beside each written drawing: its bar schedule (Distinta_<id>.csv, and at the end
  // Distinta_progetto.csv) and its bending-machine file (Pilastrata_<id>.abs).
  bool schedule = false;
  bool bvbs = false;
  BvbsOptions bvbsOptions;  // the project name defaults to PROJECT's folder name
  // Beside each written drawing: the drawing on a sheet with its schedule, as PDF
  // (Pilastrata_<id>.pdf). Only in a build with Qt (PdfAvailable()).
  bool pdf = false;
  bool help = false;
};

// The usage text printed for --help and after a usage error.
std::string UsageText();

// Reads the arguments after the program name. Raises UsageError.
BatchOptions ParseCommandLine(const std::vector<std::string>& args);

struct BatchSummary {
  int stacks = 0;
  int written = 0;
  int skipped = 0;                  // not written: missing or broken files, or a failed write
  std::uint64_t entities = 0;       // of the written drawings
  std::uint64_t bytes = 0;          // of the written files
  double seconds = 0;
  std::filesystem::path outDir;
  std::vector<std::string> problems;  // one line per skipped stack or unwritten schedule, as reported
  std::vector<StackSchedule> schedules;  // of the written stacks, in stack order (--schedule, --bvbs)
};

// Draws and writes the stacks; progress, problems and the summary go to `log`. A project
// without a column-stack folder, or an output folder that cannot be made, raises
// RuntimeError; a broken stack is reported, skipped and counted.
BatchSummary RunBatch(const BatchOptions& options, std::ostream& log);

}  // namespace tessaro
