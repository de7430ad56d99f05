// Benchmark of the batch tool: a generated project of 500 column stacks (1 to 5 pieces)
// is drawn and written, and the rate is set against writing the same bytes with fwrite
// in the same run, the floor that no DXF writer can go below. The same batch with the bar
// schedules and BVBS files beside the drawings runs in the same rounds, and with the PDF
// sheets too where the build has them; and 300 of the stacks with every output (schedules,
// BVBS, workbook, checks, position marks, PDF sheets) and with the checks alone (what the
// command line writes by default) against the same 300 as DXF only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "batch/batch_pdf.h"
#include "column_stack/stack_files.h"
#include "column_stack/stack_load.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kStacks = 500;

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// One piece file in the design program's layout (Windows-1252, D8 is the diameter sign).
std::string PieceText(int stack, int number, int code, int bottom, int top, int side1, int side2, int bars1,
                      int bars2, int inset) {
  std::ostringstream out;
  out << stack << '|' << number << '|' << code << "\r\n"
      << inset << "|0|" << inset << "|0\r\n0|0|0|0|0\r\n"
      << side1 << '|' << side2 << "|4|" << bottom << '|' << top << "\r\n0|0\r\n0|0\r\n"
      << bars1 << "\xD8" << "20|" << bars2 << "\xD8" << "16\r\n30.5|1.2\r\n60|10|20\r\n"
      << "3\xD8" << "8|2\xD8" << "8\r\n0|0|0|80|0|0|0\r\n";
  return out.str();
}

// 500 stacks of 1 to 5 storeys of 320 cm, rectangular and now and then circular (with at
// least the 4 bars a circle needs), the section shrinking upward; a fixed seed so that
// every run draws the same project.
void GenerateProject(const fs::path& project) {
  const fs::path stacks = project / "Pilastri";
  fs::create_directories(stacks / "Dis");
  std::minstd_rand random(20261206);
  const auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)); };
  for (int s = 1; s <= kStacks; ++s) {
    const int pieces = pick(1, 5);
    const bool circular = pick(0, 9) == 0;
    int side1 = pick(6, 12) * 5;
    int side2 = circular ? 0 : pick(6, 12) * 5;
    std::string index;
    for (int p = 0; p < pieces; ++p) {
      const int code = pieces == 1 ? 0 : p == 0 ? 1 : p == pieces - 1 ? 3 : 2;
      char name[32];
      std::snprintf(name, sizeof name, "S%d_%d", s, p + 1);
      const int inset = code == 0 || code == 3 ? 0 : 30;
      WriteFile(stacks / "Dis" / (std::string(name) + ".pxf"),
                PieceText(s, p + 1, code, p * 320, (p + 1) * 320, side1, side2, circular ? pick(4, 6) : pick(3, 5),
                          pick(2, 4), inset));
      index.append(name).append("\r\n");
      if (pick(0, 2) == 0 && side1 > 30) side1 -= 5;
      if (!circular && pick(0, 2) == 0 && side2 > 30) side2 -= 5;
    }
    char indexName[32];
    std::snprintf(indexName, sizeof indexName, "P%d.pst", s);
    WriteFile(stacks / indexName, index);
  }
}

struct Timed {
  tessaro::BatchSummary summary;
  double seconds;
};

// What a run writes besides the drawings: nothing (the drawings alone), the command line's
// default (the drawings and their checks), or more.
struct Outputs {
  bool check = false;
  bool schedules = false;  // CSV and BVBS
  bool pdf = false;
  bool every = false;      // also the workbook, the checks and the position marks
};

Timed RunOnce(const fs::path& project, const fs::path& out, int writerThreads, Outputs outputs = {},
              const std::vector<std::string>& stacks = {}) {
  const bool every = outputs.every, schedules = outputs.schedules, pdf = outputs.pdf;
  tessaro::BatchOptions options;
  options.stacks = stacks;
  options.xlsx = every && tessaro::XlsxAvailable();
  options.check = every || outputs.check;
  options.marks = every;
  options.pdf = pdf;
  options.schedule = schedules;
  options.bvbs = schedules;
  options.project = project;
  options.outDir = out;
  options.numbers = tessaro::NumberFormat{'.'};
  options.writerThreads = writerThreads;
  std::ostringstream log;  // progress is not what is measured
  const auto start = Clock::now();
  tessaro::BatchSummary summary = tessaro::RunBatch(options, log);
  return {summary, std::chrono::duration<double>(Clock::now() - start).count()};
}

// The name and bytes of every file of `folder`, read before any clock starts.
std::vector<std::pair<std::string, std::string>> LoadFiles(const fs::path& folder) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files.emplace_back(entry.path().filename().string(), ReadFile(entry.path()));
  }
  return files;
}

// Writes every file of `from` into `to` with fopen/fwrite/fclose; returns the seconds.
double FwriteSameBytes(const fs::path& from, const fs::path& to) {
  const auto files = LoadFiles(from);
  fs::create_directories(to);
  const auto start = Clock::now();
  for (const auto& [name, bytes] : files) {
    std::FILE* f = std::fopen((to / name).string().c_str(), "wb");
    if (f == nullptr) return -1;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// As FwriteSameBytes, but each file goes through a temporary file renamed over the one
// written before, as the DXF writer does so that a failure never leaves half a drawing: on
// some file systems creating those files costs more than writing their bytes.
double FwriteThroughRename(const fs::path& from, const fs::path& to) {
  const auto files = LoadFiles(from);
  fs::create_directories(to);
  const auto start = Clock::now();
  for (const auto& [name, bytes] : files) {
    const fs::path temporary = to / (name + ".tmp");
    std::FILE* f = std::fopen(temporary.string().c_str(), "wb");
    if (f == nullptr) return -1;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    fs::rename(temporary, to / name);
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The two halves of the work apart: drawing every stack, then only making the DXF text
// of those drawings. Tells which half bounds the pipeline.
struct Halves {
  double drawSeconds = 0;
  double textSeconds = 0;
  double recordSeconds = 0;    // drawing again, with a bar recorder
  double scheduleSeconds = 0;  // schedules, CSV and BVBS texts from the recorders
  double checkSeconds = 0;     // the checks and their reports' texts
};

Halves TimeHalves(const fs::path& project) {
  const fs::path folder = project / "Pilastri";
  const std::vector<std::string> ids = tessaro::ListColumnStacks(folder);
  std::vector<tessaro::Drawing> drawings(ids.size());
  tessaro::StackSession session;
  auto start = Clock::now();
  for (std::size_t i = 0; i < ids.size(); ++i) {
    tessaro::Canvas canvas{drawings[i], tessaro::NumberFormat{'.'}};
    tessaro::LoadStack(canvas, session, folder, ids[i]);
  }
  Halves halves;
  halves.drawSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  start = Clock::now();
  std::size_t bytes = 0;
  for (const auto& drawing : drawings) bytes += tessaro::DxfText(drawing).size();
  halves.textSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  tessaro::StackSession recordSession;
  std::vector<tessaro::BarRecorder> recorders(ids.size());
  start = Clock::now();
  for (std::size_t i = 0; i < ids.size(); ++i) {
    drawings[i].Clear();
    tessaro::Canvas canvas{drawings[i], tessaro::NumberFormat{'.'}, &recorders[i]};
    tessaro::LoadStack(canvas, recordSession, folder, ids[i]);
  }
  halves.recordSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  start = Clock::now();
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const tessaro::StackSchedule schedule = tessaro::BuildStackSchedule(ids[i], recorders[i]);
    bytes += tessaro::ScheduleCsv(schedule, tessaro::NumberFormat{'.'}).size();
    bytes += tessaro::BvbsText(schedule, tessaro::BvbsOptions{}).size();
  }
  halves.scheduleSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  start = Clock::now();
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const tessaro::StackSchedule schedule = tessaro::BuildStackSchedule(ids[i], recorders[i]);
    bytes += tessaro::CheckReportText(ids[i], tessaro::CheckStack(ids[i], recorders[i], schedule)).size();
  }
  halves.checkSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  return bytes > 0 ? halves : Halves{};
}

bool SameFiles(const fs::path& a, const fs::path& b) {
  for (const auto& entry : fs::directory_iterator(a)) {
    if (ReadFile(entry.path()) != ReadFile(b / entry.path().filename())) return false;
  }
  return true;
}

void Print(const char* what, const Timed& t) {
  const auto& s = t.summary;
  std::printf("%-26s %7.3f s  %8.0f stacks/s  %10.0f entities/s  %7.1f MB/s\n", what, t.seconds,
              s.written / t.seconds, s.entities / t.seconds, s.bytes / 1e6 / t.seconds);
}

}  // namespace

// Each figure is the best of a few rounds, taken in turn, so that other work on the
// machine shows up in none of them rather than in one.
constexpr int kRounds = 3;

// With `--keep DIR` the files of the one-thread run are copied into DIR, so that a change of
// the writer can be checked byte for byte against an earlier build.
int main(int argc, char** argv) {
  const bool keep = argc == 3 && std::string(argv[1]) == "--keep";
  const fs::path root = fs::temp_directory_path() / "tessaro_bench_batch";
  fs::remove_all(root);
  GenerateProject(root / "project");

  const int writers = tessaro::DefaultWriterThreads();
  const bool pdf = tessaro::PdfAvailable();
  std::optional<tessaro::PdfSupport> pdfSupport;  // one for every run, made before any clock starts
  if (pdf) pdfSupport.emplace();
  RunOnce(root / "project", root / "warm", writers);  // fills the file cache for the reads
  Timed one{{}, 1e9}, two{{}, 1e9}, withSchedules{{}, 1e9}, withPdf{{}, 1e9}, dxf300{{}, 1e9}, checked300{{}, 1e9},
      every300{{}, 1e9};
  std::vector<std::string> first300;
  for (int s = 1; s <= 300; ++s) first300.push_back(std::to_string(s));
  double fwriteSeconds = 1e9;
  Halves halves{1e9, 1e9, 1e9, 1e9, 1e9};
  for (int round = 0; round < kRounds; ++round) {
    const auto best = [](Timed& kept, Timed t) { if (t.seconds < kept.seconds) kept = std::move(t); };
    best(one, RunOnce(root / "project", root / "one", 0));
    best(two, RunOnce(root / "project", root / "two", writers));
    best(withSchedules, RunOnce(root / "project", root / "schedules", writers, {.schedules = true}));
    if (pdf) best(withPdf, RunOnce(root / "project", root / "pdf", writers, {.schedules = true, .pdf = true}));
    best(dxf300, RunOnce(root / "project", root / "dxf300", writers, {}, first300));
    best(checked300, RunOnce(root / "project", root / "checked300", writers, {.check = true}, first300));
    best(every300, RunOnce(root / "project", root / "every300", writers,
                           {.schedules = true, .pdf = pdf, .every = true}, first300));
    fwriteSeconds = std::min(fwriteSeconds, FwriteSameBytes(root / "two", root / "fwrite"));
    const Halves h = TimeHalves(root / "project");
    halves.drawSeconds = std::min(halves.drawSeconds, h.drawSeconds);
    halves.textSeconds = std::min(halves.textSeconds, h.textSeconds);
    halves.recordSeconds = std::min(halves.recordSeconds, h.recordSeconds);
    halves.scheduleSeconds = std::min(halves.scheduleSeconds, h.scheduleSeconds);
    halves.checkSeconds = std::min(halves.checkSeconds, h.checkSeconds);
  }
  const bool identical = SameFiles(root / "one", root / "two") && SameFiles(root / "two", root / "schedules");
  // Once, after the rounds: the files it replaces would slow the creation of those that
  // the rounds after it create.
  FwriteThroughRename(root / "two", root / "rename");  // the files to replace
  const double renameSeconds = FwriteThroughRename(root / "two", root / "rename");
  if (keep) fs::copy(root / "one", argv[2], fs::copy_options::recursive | fs::copy_options::overwrite_existing);

  const auto& s = two.summary;
  std::printf("project: %d stacks, %d written, %d skipped, %llu entities, %.2f MB (best of %d rounds)\n", s.stacks,
              s.written, s.skipped, static_cast<unsigned long long>(s.entities), s.bytes / 1e6, kRounds);
  for (std::size_t i = 0; i < s.problems.size() && i < 3; ++i) std::printf("  %s\n", s.problems[i].c_str());
  char twoName[48];
  std::snprintf(twoName, sizeof twoName, "tessaro-batch 1+%d threads", writers);
  Print("tessaro-batch 1 thread", one);
  Print(twoName, two);
  char schedulesName[48];
  std::snprintf(schedulesName, sizeof schedulesName, "+ --schedule --bvbs 1+%d", writers);
  Print(schedulesName, withSchedules);
  if (pdf) {
    std::snprintf(schedulesName, sizeof schedulesName, "+ --schedule --bvbs --pdf 1+%d", writers);
    Print(schedulesName, withPdf);
  }
  std::printf("%-26s %7.3f s  %38s %7.1f MB/s\n", "fwrite same bytes", fwriteSeconds, "", s.bytes / 1e6 / fwriteSeconds);
  std::printf("%-26s %7.3f s  %38s %7.1f MB/s\n", "fwrite + rename (once)", renameSeconds, "",
              s.bytes / 1e6 / renameSeconds);
  std::printf("of which: drawing %.3f s, DXF text %.3f s (in memory, one thread)\n", halves.drawSeconds,
              halves.textSeconds);
  std::printf("drawing with a bar recorder %.3f s; schedules, CSV and BVBS texts %.3f s; schedules, checks and "
              "their reports %.3f s (in memory)\n",
              halves.recordSeconds, halves.scheduleSeconds, halves.checkSeconds);
  std::printf("ratio to fwrite: %.2fx (1 thread %.2fx); files of both runs identical: %s\n",
              two.seconds / fwriteSeconds, one.seconds / fwriteSeconds, identical ? "yes" : "NO");
  std::printf("ratio to fwrite + rename: %.2fx (1 thread %.2fx)\n", two.seconds / renameSeconds,
              one.seconds / renameSeconds);
  std::printf("--schedule --bvbs: %.2fx the DXF-only batch, %zu schedules (drawings identical: %s)\n",
              withSchedules.seconds / two.seconds, withSchedules.summary.schedules.size(), identical ? "yes" : "NO");
  if (pdf) {
    const double sheets = withPdf.seconds - withSchedules.seconds;
    std::printf("--schedule --bvbs --pdf: %.2fx the DXF-only batch; the PDF part %.3f s, %.2f ms a sheet, "
                "%d sheets\n",
                withPdf.seconds / two.seconds, sheets, 1e3 * sheets / std::max(withPdf.summary.written, 1),
                withPdf.summary.written);
  }
  std::printf("300 stacks, DXF only: %.3f s; with the checks (the command line's default): %.3f s, %.2fx; "
              "%d findings\n",
              dxf300.seconds, checked300.seconds, checked300.seconds / dxf300.seconds, checked300.summary.findings);
  std::printf("300 stacks, every output (DXF, CSV, BVBS, %scheck, marks%s): %.3f s, %.2fx the DXF only; "
              "%.2f ms a stack more\n",
              tessaro::XlsxAvailable() ? "XLSX, " : "", pdf ? ", PDF" : "", every300.seconds,
              every300.seconds / dxf300.seconds, 1e3 * (every300.seconds - dxf300.seconds) / 300);
  fs::remove_all(root);
  return identical && s.skipped == 0 ? 0 : 1;
}
