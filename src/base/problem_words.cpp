#include "base/problem_words.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace tessaro {

namespace {

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string Quoted(std::string_view text) { return "\"" + ReadableText(text) + "\""; }

// A bound as the file would write it: 1000, 0.5, -100000.
std::string NumberText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7g", value);
  return buffer;
}

std::string Count(double value) { return std::to_string(static_cast<long long>(value)); }

std::string Range(const Problem& p) {
  return "from " + NumberText(p.low) + (p.lowOpen ? " (excluded)" : "") + " to " + NumberText(p.high);
}

std::string PartPrefix(Problem::Part part) {
  switch (part) {
    case Problem::Part::Count: return "the count of ";
    case Problem::Part::Diameter: return "the diameter (mm) of ";
    case Problem::Part::Value: break;
  }
  return "";
}

// The entity a DXF problem leaves out: "the LINE is left out".
std::string LeftOut(const Problem& p) {
  return (p.subject.empty() ? std::string("the entity") : "the " + ReadableText(p.subject)) + " is left out";
}

}  // namespace

bool IsDxfProblem(ProblemKind kind) { return kind >= ProblemKind::DxfEmpty; }

ProblemError::ProblemError(Problem problem)
    : RuntimeError(problem.error, DescribeProblem(problem)), problem_(std::move(problem)) {}

std::string ReadableText(std::string_view text, std::size_t maxCharacters) {
  std::string out;
  std::size_t characters = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (characters == maxCharacters) return out + "\xE2\x80\xA6";  // …
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x20 || byte == 0x7F) {
      constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
      ++at;
    } else {
      std::size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
      length = std::min(length, text.size() - at);
      out.append(text.substr(at, length));
      at += length;
    }
    ++characters;
  }
  return out;
}

std::string ProblemMessage(const Problem& p) {
  switch (p.kind) {
    case ProblemKind::FileNotFound: return "file not found";
    case ProblemKind::FileUnreadable: return p.detail.empty() ? "the file cannot be read" : p.detail;
    case ProblemKind::MissingLine: return "the line is missing";
    case ProblemKind::EmptyLine: return "the line is empty";
    case ProblemKind::MissingField: return "the field is missing";
    case ProblemKind::BadNumber: return Quoted(p.text) + " is not " + p.subject;
    case ProblemKind::NumberTooLarge: return Quoted(p.text) + " is out of range for " + p.subject;
    case ProblemKind::BadBarField: return Quoted(p.text) + ": " + p.detail;
    case ProblemKind::OutOfBounds:
      return PartPrefix(p.part) + p.subject + " " + Quoted(p.text) + " is outside " + Range(p);
    case ProblemKind::TopNotAboveBottom:
      return "Quota finale " + Quoted(p.text) + " must lie above Quota iniziale " + Quoted(p.other) + ", by at most " +
             NumberText(p.high);
    case ProblemKind::CoverTooLarge:
      return "bar cover " + Quoted(p.text) + " leaves no room for the bars: it must be less than half of " +
             NumberText(p.high);
    case ProblemKind::TooFewCircularBars:
      return "a circular column (Lato 2 = 0) needs at least " + NumberText(p.low) + " bars, not " + Quoted(p.text);
    case ProblemKind::TooManyPieces: return "a stack has at most " + NumberText(p.high) + " pieces";
    case ProblemKind::NoPieces: return "the stack index file lists no pieces";
    case ProblemKind::StackNotLoaded: return "the stack was not loaded";
    case ProblemKind::DrawingIncomplete:
      return std::string("the drawing of this piece is incomplete: ") + ErrorKindName(p.error) + " (" + p.detail + ")";
    case ProblemKind::PieceIndexOutside:
      return "piece index " + NumberText(p.low) + " is outside the stack arrays";
    case ProblemKind::DxfEmpty: return "the file is empty";
    case ProblemKind::DxfNotDxf: return Quoted(p.text) + " is no group code: not a DXF file";
    case ProblemKind::DxfCutShort: return "the file ends before its EOF";
    case ProblemKind::DxfUnendedSection: return "a section has no ENDSEC: it ends where the next one starts";
    case ProblemKind::DxfBadGroupCode: return Quoted(p.text) + " is no group code: " + LeftOut(p);
    case ProblemKind::DxfBadNumber: return Quoted(p.text) + " is not a number: " + LeftOut(p);
    case ProblemKind::DxfBadWholeNumber: return Quoted(p.text) + " is not a whole number: " + LeftOut(p);
    case ProblemKind::DxfTooManyLayers: return "the file has more than " + Count(p.high) + " layers";
    case ProblemKind::DxfTooManyBlocks: return "the file has more than " + Count(p.high) + " blocks";
    case ProblemKind::DxfNestTooDeep:
      return Count(p.low) + " block references nested deeper than " + Count(p.high) + " left out";
    case ProblemKind::DxfBlockCycles: return Count(p.low) + " block references inside their own block left out";
    case ProblemKind::DxfExpansionCapped:
      return "blocks expanded to their limit of " + Count(p.high) + " shapes: " + Count(p.low) +
             " more block references left out";
  }
  return ErrorKindName(p.error);
}

std::string ProblemFileText(const std::filesystem::path& file) {
  // In the system's own separators: a folder the window gave with '/' and a file joined to
  // it read as one path on Windows too.
  std::filesystem::path native = file;
  native.make_preferred();
  const std::string name = PathText(native.filename());
  const std::string shown = ReadableText(name);
  if (shown == name) return PathText(native);
  return PathText(native.parent_path() / std::filesystem::path(std::u8string(shown.begin(), shown.end())));
}

std::string DescribeProblem(const Problem& p) {
  std::string where;
  if (!p.file.empty()) where = ProblemFileText(p.file);
  const auto append = [&where](const std::string& part) { where += (where.empty() ? "" : ", ") + part; };
  if (IsDxfProblem(p.kind)) {
    // A DXF file is read in an editor, by its lines from 1; a binary one by its bytes.
    if (p.line >= 0) append(p.inBytes ? "byte " + std::to_string(p.line) : "line " + std::to_string(p.line + 1));
    if (p.field >= 0) append("group code " + std::to_string(p.field));
  } else {
    if (p.line >= 0) append("line " + std::to_string(p.line + 1) + " (" + std::to_string(p.line) + " from 0)");
    if (p.field >= 0) append("field " + std::to_string(p.field + 1) + " (" + std::to_string(p.field) + " from 0)");
  }
  const std::string message = ProblemMessage(p);
  return where.empty() ? message : where + ": " + message;
}

}  // namespace tessaro
