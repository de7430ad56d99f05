// The batch generation, the same for the command-line tool and the window's "Genera dxf":
// draws the column stacks of a project one after another and writes each drawing as
// Pilastrata_<id>.dxf, with the files asked for beside it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/problem.h"
#include "cad/drawing.h"
#include "column_stack/stack_load.h"
#include "text/numbers.h"
#include "check/check.h"
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

// What a run writes and how. New outputs go here, each off by default, so that a caller
// that does not know them keeps its files.
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
  bool pdfColour = false;  // --pdf-colour: the sheets in the drawing's colours, not black and white
  // The project's schedule also as a workbook, Distinta_progetto.xlsx (XlsxAvailable()).
  bool xlsx = false;
  // The CSV files' numbers: "," decimals and ";" between fields unless told otherwise.
  NumberFormat csvNumbers = NumberFormat::WithSeparator(',');
  // The drawing checks itself on every run: findings printed per stack and written beside
  // each drawing as Verifica_<id>.txt. With `strict` a finding makes the run fail (exit
  // status 3). Only a caller that times the drawings alone turns the check off.
  bool check = true;
  bool strict = false;
  // The schedule's position numbers circled beside the labels, on the layer "Posizioni".
  bool marks = false;
  bool help = false;
};

// The usage text printed for --help and after a usage error.
std::string UsageText();

// Reads the arguments after the program name. Raises UsageError.
BatchOptions ParseCommandLine(const std::vector<std::string>& args);

// One stack the run could not finish: what was left undone and why.
struct BatchProblem {
  enum class Step {
    Draw,                  // the stack was not drawn whole: nothing written for it
    WriteDrawing,          // its DXF file was not written
    WriteSheet,            // its PDF sheet was not written
    WriteSchedule,         // its schedule or BVBS file was not written
    WriteCheck,            // its check report, Verifica_<id>.txt, was not written
    WriteProjectSchedule,  // Distinta_progetto.csv was not written (no stack)
  };
  Step step = Step::Draw;
  std::string stackId;
  std::optional<Problem> load;         // Draw: why the load stopped or the drawing is not whole
  bool indexFound = true;              // Draw: false when the stack index file was not read
  bool outOfMemory = false;
  std::string reason;                  // the file system's or writer's reason, as it gave it
  std::filesystem::path earlier;       // Draw: an earlier drawing of the stack, left as it was
};

struct BatchSummary {
  int stacks = 0;
  int written = 0;
  int skipped = 0;                  // not written: missing or broken files, or a failed write
  std::uint64_t entities = 0;       // of the written drawings
  std::uint64_t bytes = 0;          // of the written files
  double seconds = 0;
  std::filesystem::path outDir;
  bool stopped = false;             // the caller stopped the run before its last stack
  std::vector<std::string> problems;  // one line per skipped stack or unwritten schedule, as reported
  std::vector<BatchProblem> stackProblems;  // the same problems as values, in the order reported
  std::vector<StackSchedule> schedules;  // of the written stacks, in stack order (--schedule, --bvbs)
  int findings = 0;                      // of the checks
};

// A stack as the run drew it, whole or not, for a caller that shows the run.
struct BatchStack {
  std::size_t number = 0;  // 1-based place in the run
  std::size_t count = 0;   // stacks in the run
  const std::string& id;
  const Drawing& drawing;
  const StackLoadResult& load;
  const std::optional<StackSchedule>& schedule;  // of a whole drawing, when one was made
  const std::vector<Finding>* findings;          // its checks' findings; nullptr when not checked
  bool whole = false;                            // written (or queued to be)
};

// How a caller follows and steers a run; all optional. Both hooks run on the caller's
// thread, between the drawings of two stacks.
struct BatchHooks {
  // The session the stacks are drawn in (its own drawing options); nullptr: a new one with
  // the options' drawing options. The window passes its own, so that the stacks join
  // what it drew before, as when it draws them one by one.
  StackSession* session = nullptr;
  // Before each stack (1-based number, count, id); false stops the run there.
  std::function<bool(std::size_t, std::size_t, const std::string&)> beforeStack;
  // After each stack is drawn.
  std::function<void(const BatchStack&)> stackDrawn;
  // Makes a schedule of every whole drawing, for stackDrawn, even when no file needs one.
  bool schedules = false;
};

// One line of the command line's report for a problem: "tessaro-batch: stack 4 not
// written: ...".
std::string DescribeBatchProblem(const BatchProblem& problem);

// Draws and writes the stacks; progress, problems and the summary go to `log`. A project
// without a column-stack folder, or an output folder that cannot be made, raises
// RuntimeError; a broken stack is reported, skipped and counted.
BatchSummary RunBatch(const BatchOptions& options, std::ostream& log, const BatchHooks& hooks = {});

}  // namespace tessaro
