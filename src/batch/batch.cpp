// The batch generation: stacks are drawn in list order on the caller's thread, because
// each stack starts from what the one before left in the session, and the finished
// drawings are written on other threads while the next stacks are drawn.
#include "batch/batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <new>
#include <sstream>
#include <thread>
#include <utility>

#include "column_stack/stack_files.h"
#include "column_stack/stack_load.h"
#include "os/atomic_file.h"
#include "cad/drawing.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "base/errors.h"
#include "batch/batch_pdf.h"
#include "os/utf8_path.h"
#include "project/project_data.h"
#include "schedule/bvbs.h"
#include "schedule/schedule.h"

namespace tessaro {

namespace {

constexpr const char* kTool = "tessaro-batch";

// --------------------------------------------------------------------------------------
// Command line

struct Flag {
  const char* name;
  bool DrawOptions::*option;
};

// The switches that set a drawing option.
constexpr Flag kFlags[] = {
    {"--split-stirrups", &DrawOptions::option1},
    {"--tangent-ties", &DrawOptions::option2},
};

char SeparatorOf(const std::string& text) {
  if (text.size() != 1 || (text[0] != ',' && text[0] != '.')) {
    throw UsageError("--decimal-separator takes '.' or ',', not '" + text + "'");
  }
  return text[0];
}

// --------------------------------------------------------------------------------------
// Output

// Lines to the log from both threads, one at a time.
class Log {
public:
  explicit Log(std::ostream& out) : out_(out) {}
  void Line(const std::string& text) {
    const std::lock_guard lock(mutex_);
    out_ << text << '\n' << std::flush;
  }

private:
  std::ostream& out_;
  std::mutex mutex_;
};

// A drawn stack waiting to be written, with its schedule when one was asked for.
struct WriteJob {
  std::string stackId;
  Drawing drawing;
  std::filesystem::path path;
  std::optional<StackSchedule> schedule;
  std::size_t order = 0;  // place in the stack list
  std::optional<std::vector<Finding>> findings;
};

// What goes beside each drawing.
struct ScheduleFiles {
  bool csv = false;
  bool bvbs = false;
  NumberFormat numbers;
  BvbsOptions bvbsOptions;
  bool pdf = false;  // the sheet, Pilastrata_<id>.pdf
  SheetData sheet;
  NumberFormat csvNumbers;
};

// Writes the finished drawings, on its own threads or on the caller's, and counts them.
class Writer {
public:
  Writer(int threads, Log& log, BatchSummary& summary, ScheduleFiles files)
      : log_(log), summary_(summary), files_(std::move(files)) {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Loop(); });
  }
  ~Writer() { Finish(); }

  void Submit(WriteJob job) {
    if (threads_.empty()) {
      Write(job);
      return;
    }
    std::unique_lock lock(mutex_);
    // A few drawings in hand are enough to keep both threads busy; more only costs memory.
    spaceFree_.wait(lock, [this] { return jobs_.size() < kQueueLength; });
    jobs_.push_back(std::move(job));
    jobReady_.notify_one();
  }

  // A stack that is not written: reported and counted.
  void Skip(BatchProblem problem) {
    Report(std::move(problem));
    const std::lock_guard lock(countMutex_);
    ++summary_.skipped;
  }

  // A problem of the run, logged and kept in the summary.
  void Report(BatchProblem problem) {
    std::string line = DescribeBatchProblem(problem);
    log_.Line(line);
    const std::lock_guard lock(countMutex_);
    summary_.problems.push_back(std::move(line));
    summary_.stackProblems.push_back(std::move(problem));
  }

  void Finish() {
    {
      const std::lock_guard lock(mutex_);
      finishing_ = true;
    }
    jobReady_.notify_all();
    for (std::thread& thread : threads_) {
      if (thread.joinable()) thread.join();
    }
  }

  // The schedules written, in stack order (after Finish).
  std::vector<StackSchedule> TakeSchedules() {
    std::sort(written_.begin(), written_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<StackSchedule> schedules;
    for (auto& [order, schedule] : written_) schedules.push_back(std::move(schedule));
    return schedules;
  }

private:
  static constexpr std::size_t kQueueLength = 8;

  static BatchProblem Problem(BatchProblem::Step step, const std::string& stackId, std::string reason) {
    BatchProblem problem;
    problem.step = step;
    problem.stackId = stackId;
    problem.reason = std::move(reason);
    return problem;
  }

  void Loop() {
    for (;;) {
      WriteJob job;
      {
        std::unique_lock lock(mutex_);
        jobReady_.wait(lock, [this] { return finishing_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      spaceFree_.notify_one();
      Write(job);
    }
  }

  void Write(const WriteJob& job) {
    std::uint64_t bytes = 0;
    std::string problem;
    try {
      WriteDxfFile(job.drawing, job.path);
      bytes = std::filesystem::file_size(job.path);
    } catch (const RuntimeError& error) {
      problem = error.what();
    } catch (const std::filesystem::filesystem_error& error) {
      problem = error.what();
    } catch (const std::bad_alloc&) {
      problem = "out of memory while writing the file";
    }
    if (!problem.empty()) {
      Skip(Problem(BatchProblem::Step::WriteDrawing, job.stackId, std::move(problem)));
      return;
    }
    {
      const std::lock_guard lock(countMutex_);
      ++summary_.written;
      summary_.entities += job.drawing.EntityCount();
      summary_.bytes += bytes;
    }
    if (files_.pdf && job.schedule) WriteSheet(job);
    if (job.schedule) WriteSchedule(job);
  }

  // Only after its drawing was written; a failure is reported and counted as a problem.
  void WriteSheet(const WriteJob& job) {
    try {
      const int dropped = WriteStackPdf(job.path.parent_path() / PathFromUtf8(PdfFileName(job.stackId)), job.drawing,
                                        *job.schedule, files_.sheet, files_.numbers);
      if (dropped > 0) {
        log_.Line(std::string(kTool) + ": stack " + job.stackId + ": " + std::to_string(dropped) +
                  " text(s) of the drawing left off the sheet: no free place beside the others");
      }
    } catch (const RuntimeError& error) {
      Report(Problem(BatchProblem::Step::WriteSheet, job.stackId, error.what()));
    }
  }

  // Only after its drawing was written; a failure is reported and counted as a problem.
  void WriteSchedule(const WriteJob& job) {
    const std::filesystem::path folder = job.path.parent_path();
    if (job.findings) {
      try {
        WriteCheckReport(folder / PathFromUtf8(CheckFileName(job.stackId)), job.stackId, *job.findings);
      } catch (const RuntimeError& error) {
        Report(Problem(BatchProblem::Step::WriteCheck, job.stackId, error.what()));
      }
    }
    try {
      if (files_.csv) {
        WriteScheduleCsv(folder / PathFromUtf8(ScheduleCsvName(job.stackId)), *job.schedule, files_.csvNumbers);
      }
      if (files_.bvbs) WriteBvbs(folder / PathFromUtf8(BvbsFileName(job.stackId)), *job.schedule, files_.bvbsOptions);
    } catch (const RuntimeError& error) {
      Report(Problem(BatchProblem::Step::WriteSchedule, job.stackId, error.what()));
      return;
    }
    const std::lock_guard lock(countMutex_);
    written_.emplace_back(job.order, *job.schedule);
  }

  Log& log_;
  BatchSummary& summary_;
  ScheduleFiles files_;
  std::vector<std::pair<std::size_t, StackSchedule>> written_;  // guarded by countMutex_
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable jobReady_;
  std::condition_variable spaceFree_;
  std::deque<WriteJob> jobs_;
  bool finishing_ = false;
  std::mutex countMutex_;
};

// --------------------------------------------------------------------------------------
// The run

// The stacks to draw: the named ones in list order, then any named one the folder does
// not list (its load reports the missing file); every stack when none is named.
std::vector<std::string> SelectStacks(const std::vector<std::string>& listed, const std::vector<std::string>& named) {
  if (named.empty()) return listed;
  std::vector<std::string> selected;
  const auto add = [&](const std::string& id) {
    if (std::find(selected.begin(), selected.end(), id) == selected.end()) selected.push_back(id);
  };
  for (const std::string& id : listed) {
    if (std::find(named.begin(), named.end(), id) != named.end()) add(id);
  }
  for (const std::string& id : named) add(id);
  return selected;
}

// A stack drawn whole and ready to write, or why it is not written.
struct DrawnStack {
  std::optional<WriteJob> job;
  BatchProblem problem;
};

// Where a stack is drawn and what is made of it.
struct DrawPlace {
  StackSession& session;
  const std::filesystem::path& stackFolder;
  const std::filesystem::path& outDir;
  const NumberFormat& numbers;
  bool withSchedule;
  const BatchHooks& hooks;
  bool check = false;  // the findings of the drawing's checks
  bool marks = false;  // position marks on the layer "Posizioni"
};

// Draws one stack into a drawing of its own and shows it to the caller's hook. Only a
// whole drawing comes back to be written; a load that stopped, a piece whose drawing
// skipped a statement, or running out of memory gives the reason instead (the drawing is
// dropped, and memory with it). The schedule, when asked for, is made from the bars of
// that whole drawing only.
DrawnStack DrawStack(const DrawPlace& place, const std::string& id, std::size_t order, std::size_t count) {
  WriteJob job{id, Drawing{}, {}, std::nullopt, order, std::nullopt};
  BatchProblem problem;
  problem.stackId = id;
  StackLoadResult result;
  bool whole = false;
  try {
    BarRecorder bars;
    Canvas canvas{job.drawing, place.numbers, place.withSchedule ? &bars : nullptr};
    result = LoadStack(canvas, place.session, place.stackFolder, id);
    if (const auto loadProblem = LoadProblemOf(result, StackIndexPath(place.stackFolder, id))) {
      problem.load = loadProblem->problem();
      problem.indexFound = result.indexFound;
    } else {
      job.path = place.outDir / PathFromUtf8(*result.drawingName + ".dxf");
      if (place.withSchedule) job.schedule = BuildStackSchedule(id, bars);
      if (place.check) job.findings = CheckStack(id, bars, *job.schedule);
      if (place.marks) DrawPositionMarks(job.drawing, *job.schedule);
      whole = true;
    }
  } catch (const RuntimeError& error) {
    problem.reason = error.what();
  } catch (const std::bad_alloc&) {
    problem.outOfMemory = true;
  }
  if (place.hooks.stackDrawn) {
    place.hooks.stackDrawn(BatchStack{order + 1, count, id, job.drawing, result, job.schedule,
                                      job.findings ? &*job.findings : nullptr, whole});
  }
  if (!whole) return {std::nullopt, std::move(problem)};
  return {std::move(job), {}};
}

// A line of the project data file that was not taken, as the run reports it.
std::string DescribeProjectDataProblem(const ProjectDataProblem& p) {
  std::string where = p.file.string();
  if (p.line > 0) where += " line " + std::to_string(p.line);
  switch (p.kind) {
    case ProjectDataProblem::Kind::NoEquals: return where + ": not \"key = value\", ignored: " + p.text;
    case ProjectDataProblem::Kind::UnknownKey: return where + ": unknown key, ignored: " + p.text;
    case ProjectDataProblem::Kind::RepeatedKey: return where + ": key given again, the first stays: " + p.text;
    case ProjectDataProblem::Kind::Unreadable: return where + ": not read: " + p.text;
  }
  return where;
}

// The findings of a stack as the drawing thread finds them, so they come in stack order.
void ReportFindings(Log& log, const std::string& id, const std::vector<Finding>& findings, BatchSummary& summary) {
  summary.findings += static_cast<int>(findings.size());
  if (findings.empty()) return;
  log.Line(std::string(kTool) + ": stack " + id + ": " + std::to_string(findings.size()) + " finding(s)");
  for (const Finding& finding : findings) log.Line("  " + FindingText(finding));
}

std::string FormatSummary(const BatchSummary& s) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%s: %d written, %d skipped, %llu entities, %.2f MB, %.2f s", kTool,
                s.written, s.skipped, static_cast<unsigned long long>(s.entities), s.bytes / 1e6, s.seconds);
  return buffer;
}

}  // namespace

int DefaultWriterThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

std::string UsageText() {
  return "usage: tessaro-batch PROJECT [--stack ID ...] [--out DIR] [--split-stirrups] [--tangent-ties]\n"
         "                     [--decimal-separator SEP] [--schedule] [--bvbs] [--steel-grade GRADE]\n"
         "                     [--pdf | --pdf-colour] [--xlsx] [--csv-decimal-separator SEP] [--strict]\n"
         "                     [--marks]\n"
         "\n"
         "Draws the column stacks of PROJECT (its Pilastri folder) and writes each as\n"
         "Pilastrata_<id>.dxf into PROJECT/Disegni, or into DIR. Each drawing checks itself:\n"
         "its findings are printed per stack and written beside it, Verifica_<id>.txt.\n"
         "\n"
         "  --stack ID ...           only these stacks (the option may be repeated; the IDs\n"
         "                           after it run up to the next option)\n"
         "  --out DIR                write the drawings into DIR (created when missing)\n"
         "  --split-stirrups         two overlapping closed stirrups where the section allows\n"
         "  --tangent-ties           tie legs tangent to the bars, hooks around them\n"
         "  --decimal-separator SEP  '.' or ',' in the drawing's numbers (default: the locale's)\n"
         "  --schedule               the bar schedule beside each drawing, Distinta_<id>.csv, and\n"
         "                           the project's totals, Distinta_progetto.csv\n"
         "  --bvbs                   the bending-machine file (BVBS) beside each drawing,\n"
         "                           Pilastrata_<id>.abs\n"
         "  --steel-grade GRADE      steel grade written to the BVBS file (default B450C)\n"
         "  --pdf                    the drawing on an ISO sheet with its title block and bar\n"
         "                           schedule, as vector PDF beside it, Pilastrata_<id>.pdf:\n"
         "                           black and white; the title block's project data from\n"
         "                           PROJECT/Dati_progetto.ini when it is there\n"
         "  --pdf-colour             --pdf in the drawing's colours\n"
         "  --xlsx                   the project's schedule as a workbook, Distinta_progetto.xlsx\n"
         "  --csv-decimal-separator SEP  '.' or ',' in the CSV files (default ',', fields by ';')\n"
         "  --strict                 exit with 3 when the checks have a finding (the files are\n"
         "                           written all the same)\n"
         "  --marks                  the schedule's position numbers beside the labels, circled,\n"
         "                           on the layer Posizioni\n"
         "\n"
         "A stack whose files are missing or broken is reported and not written; the exit\n"
         "status is then 1. A usage error exits with 2. Findings of the checks leave the exit\n"
         "status 0 unless --strict is given.\n";
}

BatchOptions ParseCommandLine(const std::vector<std::string>& args) {
  BatchOptions options;
  bool haveProject = false;
  bool inStackList = false;  // positional arguments right after --stack ID are IDs too
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    }
    if (arg == "--stack") {
      options.stacks.push_back(value());
      inStackList = true;
      continue;
    }
    if (arg.starts_with("-") && arg.size() > 1) inStackList = false;
    if (arg == "--out") {
      options.outDir = PathFromUtf8(value());
    } else if (arg == "--schedule") {
      options.schedule = true;
    } else if (arg == "--bvbs") {
      options.bvbs = true;
    } else if (arg == "--pdf" || arg == "--pdf-colour") {
      if (!PdfAvailable()) throw UsageError(arg + " is not available: this tessaro-batch was built without Qt");
      options.pdf = true;
      options.pdfColour = options.pdfColour || arg == "--pdf-colour";
    } else if (arg == "--xlsx") {
      options.xlsx = true;
    } else if (arg == "--check") {
      // The check runs on every run; the option stays for the scripts that name it.
    } else if (arg == "--strict") {
      options.strict = true;
    } else if (arg == "--marks") {
      options.marks = true;
    } else if (arg == "--csv-decimal-separator") {
      options.csvNumbers = NumberFormat::WithSeparator(SeparatorOf(value()));
    } else if (arg == "--steel-grade") {
      options.bvbsOptions.steelGrade = value();
    } else if (arg == "--decimal-separator") {
      options.numbers = NumberFormat::WithSeparator(SeparatorOf(value()));
    } else if (const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                              [&](const Flag& f) { return arg == f.name; });
               flag != std::end(kFlags)) {
      options.draw.*flag->option = true;
    } else if (arg.starts_with("-") && arg.size() > 1) {
      throw UsageError("unknown option " + arg);
    } else if (inStackList) {
      options.stacks.push_back(arg);
    } else if (!haveProject) {
      options.project = PathFromUtf8(arg);
      haveProject = true;
    } else {
      throw UsageError("unexpected argument " + arg + " (one PROJECT only)");
    }
  }
  if (!haveProject) throw UsageError("missing PROJECT");
  return options;
}

std::string DescribeBatchProblem(const BatchProblem& problem) {
  const std::string stack = std::string(kTool) + ": stack " + problem.stackId;
  switch (problem.step) {
    case BatchProblem::Step::Draw: {
      std::string line = stack + " not written: ";
      if (problem.outOfMemory) {
        line += "out of memory while drawing the stack";
      } else if (problem.load) {
        line += DescribeProblem(*problem.load);
      } else {
        line += problem.reason;
      }
      if (!problem.earlier.empty()) line += " (the earlier " + problem.earlier.string() + " was left as it was)";
      return line;
    }
    case BatchProblem::Step::WriteDrawing: return stack + " not written: " + problem.reason;
    case BatchProblem::Step::WriteSheet: return stack + ": sheet not written: " + problem.reason;
    case BatchProblem::Step::WriteSchedule: return stack + ": schedule not written: " + problem.reason;
    case BatchProblem::Step::WriteCheck: return stack + ": check report not written: " + problem.reason;
    case BatchProblem::Step::WriteProjectSchedule:
      return std::string(kTool) + ": project schedule not written: " + problem.reason;
  }
  return stack + ": " + problem.reason;
}

BatchSummary RunBatch(const BatchOptions& options, std::ostream& out, const BatchHooks& hooks) {
  const auto start = std::chrono::steady_clock::now();
  Log log(out);
  BatchSummary summary;
  const std::filesystem::path stackFolder = ColumnStackFolderOf(options.project);
  const std::vector<std::string> stacks = SelectStacks(ListColumnStacks(stackFolder), options.stacks);
  summary.outDir = options.outDir.value_or(DrawingsFolderOf(options.project));
  std::error_code madeError;
  std::filesystem::create_directories(summary.outDir, madeError);
  if (madeError) Raise(ErrorKind::FileIo, "cannot create " + summary.outDir.string() + ": " + madeError.message());
  if (const int stale = RemoveStaleTemporaryFiles(summary.outDir); stale > 0) {
    log.Line(std::string(kTool) + ": removed " + std::to_string(stale) + " temporary file(s) an interrupted run left");
  }

  StackSession ownSession;
  ownSession.options = options.draw;
  StackSession& session = hooks.session != nullptr ? *hooks.session : ownSession;
  summary.stacks = static_cast<int>(stacks.size());
  const bool withSchedule = options.schedule || options.bvbs || options.pdf || options.xlsx || options.check ||
                            options.marks || hooks.schedules;
  BvbsOptions bvbsOptions = options.bvbsOptions;
  if (bvbsOptions.project.empty()) bvbsOptions.project = std::filesystem::absolute(options.project).filename().string();
  std::optional<PdfSupport> pdfSupport;
  SheetData sheet{bvbsOptions.project, {}, options.pdfColour};
  if (options.pdf) {
    pdfSupport.emplace();
    ProjectDataRead data = ReadProjectData(options.project);
    for (const ProjectDataProblem& problem : data.problems) log.Line(std::string(kTool) + ": " + DescribeProjectDataProblem(problem));
    sheet.data = std::move(data.data);
  }
  {
    Writer writer(options.writerThreads, log, summary,
                  ScheduleFiles{options.schedule, options.bvbs, options.numbers, bvbsOptions, options.pdf, sheet,
                                options.csvNumbers});
    const DrawPlace place{session,        stackFolder,   summary.outDir, options.numbers,
                          withSchedule,   hooks,         options.check,  options.marks};
    for (std::size_t n = 0; n < stacks.size(); ++n) {
      const std::string& id = stacks[n];
      if (hooks.beforeStack && !hooks.beforeStack(n + 1, stacks.size(), id)) {
        summary.stopped = true;
        break;
      }
      std::ostringstream progress;
      progress << kTool << ": stack " << n + 1 << " of " << stacks.size() << ": " << id;
      log.Line(progress.str());

      DrawnStack drawn = DrawStack(place, id, n, stacks.size());
      if (!drawn.job) {
        const std::filesystem::path earlier = summary.outDir / PathFromUtf8("Pilastrata_" + id + ".dxf");
        std::error_code ignored;
        if (std::filesystem::exists(earlier, ignored)) drawn.problem.earlier = earlier;
        writer.Skip(std::move(drawn.problem));
        continue;
      }
      if (drawn.job->findings) ReportFindings(log, id, *drawn.job->findings, summary);
      writer.Submit(std::move(*drawn.job));
    }
    writer.Finish();
    summary.schedules = writer.TakeSchedules();
  }
  if (options.schedule) {
    try {
      WriteProjectScheduleCsv(summary.outDir / std::string(kProjectScheduleCsvName), summary.schedules,
                              options.csvNumbers);
    } catch (const RuntimeError& error) {
      BatchProblem problem;
      problem.step = BatchProblem::Step::WriteProjectSchedule;
      problem.reason = error.what();
      std::string line = DescribeBatchProblem(problem);
      log.Line(line);
      summary.problems.push_back(std::move(line));
      summary.stackProblems.push_back(std::move(problem));
    }
  }
  if (options.xlsx && !XlsxAvailable()) {
    log.Line(std::string(kTool) + ": " + std::string(kProjectScheduleXlsxName) +
             " skipped: this tessaro-batch was built without libxlsxwriter");
  } else if (options.xlsx) {
    try {
      WriteProjectScheduleXlsx(summary.outDir / std::string(kProjectScheduleXlsxName), summary.schedules);
    } catch (const RuntimeError& error) {
      std::string problem = std::string(kTool) + ": project workbook not written: " + error.what();
      log.Line(problem);
      summary.problems.push_back(std::move(problem));
    }
  }
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  log.Line(FormatSummary(summary));
  return summary;
}

}  // namespace tessaro
