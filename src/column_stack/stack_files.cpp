// Reading the stack index files and piece files of a project: text decoding and line
// splitting, the piece record with its optional line 10, the per-stack arrays, the
// folder layout (with the letter-case tolerance that folders copied from Windows need)
// and the list of the stacks of a folder.
#include "column_stack/stack_files.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <type_traits>
#include <utility>

#include "text/encoding.h"
#include "os/file_read.h"
#include "os/folder_listing.h"

namespace tessaro {

namespace fs = std::filesystem;

namespace {

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathFromUtf8(std::string_view text) { return fs::path(std::u8string(text.begin(), text.end())); }

// ---------------------------------------------------------------- text and lines

bool HasNonAscii(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The design program writes Windows-1252; a file that was saved again as UTF-8 (by an
// editor, or copied through a tool that converts) is recognised because a Windows-1252
// text with Ø before a digit is never well-formed UTF-8. Editors that save "Unicode"
// write UTF-16 with a byte-order mark.
std::string DecodeFileText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), true);
  if (HasNonAscii(bytes) && IsValidUtf8(bytes)) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    return std::string(bytes);
  }
  return Cp1252ToUtf8(bytes);
}

// Every line followed by CR LF, whatever ended it in the file (CR LF, LF or a lone CR as
// the Windows line reading accepts); a last line without an end is kept.
std::string NormalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      out.append(text.substr(start)).append("\r\n");
      break;
    }
    out.append(text.substr(start, end - start)).append("\r\n");
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return out;
}

// Fields of a line split at "|"; an empty line has no fields at all (not one empty field),
// so that a blank line among lines 0-9 is reported as missing, not as a bad number.
std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  if (line.empty()) return fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = line.find('|', start);
    fields.push_back(line.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return fields;
}

// ---------------------------------------------------------------- piece text

constexpr int kOptionalLine = 10;  // line 10 is missing in files of the older layout

// The diameter sign as a decoded file holds it: "Ø", or the UTF-8 bytes of Ø that were
// read as Windows-1252 ("Ã˜", U+00C3 U+02DC).
constexpr std::string_view kMisreadDiameterSign = "\xC3\x83\xCB\x9C";

const PieceBound* FindBound(int line, int field, PieceBound::Part part) {
  for (const PieceBound& bound : kPieceBounds) {
    if (bound.line == line && bound.field == field && bound.part == part) return &bound;
  }
  return nullptr;
}

bool WithinBound(const PieceBound& bound, double value) {
  return std::isfinite(value) && (bound.lowOpen ? value > bound.low : value >= bound.low) && value <= bound.high;
}

std::string Quoted(std::string_view text) { return "\"" + ReadableText(text) + "\""; }

// A problem at `line`, `field` of a piece file (the file is added by the caller).
Problem At(ProblemKind kind, ErrorKind error, int line, int field, std::string_view text = {}) {
  Problem problem;
  problem.kind = kind;
  problem.error = error;
  problem.line = line;
  problem.field = field;
  problem.text = std::string(text);
  return problem;
}

// The lines and fields of one piece file, with the conversions of its fields. Lines 0-9
// raise StackFileError naming line, field and text; line 10 gives 0 on a field that is
// missing or does not convert.
class PieceText {
public:
  explicit PieceText(std::string_view text) : lines_(SplitLines(text)) {
    fields_.reserve(lines_.size());
    for (const std::string& line : lines_) fields_.push_back(SplitFields(line));
  }
  PieceText(const PieceText&) = delete;  // the fields view into the lines
  PieceText& operator=(const PieceText&) = delete;

  std::string_view Field(int line, int field) const {
    const auto count = static_cast<int>(lines_.size());
    // The empty element after the final CR LF is no line of the file.
    if (line >= count || (line == count - 1 && lines_.back().empty())) {
      throw StackFileError(At(ProblemKind::MissingLine, ErrorKind::MissingData, line, field));
    }
    const auto at = static_cast<std::size_t>(line);
    if (field >= static_cast<int>(fields_[at].size())) {
      const bool empty = lines_[at].empty();
      throw StackFileError(At(empty ? ProblemKind::EmptyLine : ProblemKind::MissingField, ErrorKind::MissingData, line,
                              field, lines_[at]));
    }
    return fields_[at][static_cast<std::size_t>(field)];
  }

  Integer IntegerAt(int line, int field) const { return Convert(line, field, ParseInteger, "a 16-bit Integer"); }

  // A Single field, held to its row of kPieceBounds when it has one.
  Single SingleAt(int line, int field) const {
    const Single value = Convert(line, field, ParseSingle, "a Single");
    if (const PieceBound* bound = FindBound(line, field, PieceBound::Part::Value)) {
      Check(*bound, value, line, field, Field(line, field));
    }
    return value;
  }

  // A field of the optional line 10: 0 when the line or the field is missing or does not
  // convert; a value that reads but lies outside its bound is refused as on any line.
  Single OptionalSingle(int field) const {
    Single value = 0;
    try {
      value = Convert(kOptionalLine, field, ParseSingle, "a Single");
    } catch (const RuntimeError&) {
      return 0;
    }
    if (const PieceBound* bound = FindBound(kOptionalLine, field, PieceBound::Part::Value)) {
      Check(*bound, value, kOptionalLine, field, Field(kOptionalLine, field));
    }
    return value;
  }

  // A bar or stirrup field, parsed and held to its bounds. The text is given back with
  // the diameter sign as "Ø" whichever way the file wrote it.
  BarField BarAt(int line, int field, bool diameterNeeded, std::string& shown) const {
    const std::string_view text = Field(line, field);
    BarField bar;
    try {
      bar = ParseBarField(text, diameterNeeded);
    } catch (const RuntimeError& error) {
      Problem problem = At(ProblemKind::BadBarField, error.kind(), line, field, text);
      problem.detail = error.what();
      throw StackFileError(std::move(problem));
    }
    if (const PieceBound* bound = FindBound(line, field, PieceBound::Part::Count)) {
      Check(*bound, bar.count, line, field, text);
    }
    if (const PieceBound* bound = FindBound(line, field, PieceBound::Part::Diameter);
        bound != nullptr && (text.find(kDiameterSign) != std::string_view::npos ||
                             text.find(kMisreadDiameterSign) != std::string_view::npos)) {
      Check(*bound, double{bar.diameter} * 10, line, field, text);
    }
    shown = std::string(text);
    for (std::size_t at = shown.find(kMisreadDiameterSign); at != std::string::npos;
         at = shown.find(kMisreadDiameterSign, at)) {
      shown.replace(at, kMisreadDiameterSign.size(), kDiameterSign);
    }
    return bar;
  }

  // A value outside its bound: a StackFileError naming the field, the text and the range.
  static void Check(const PieceBound& bound, double value, int line, int field, std::string_view text) {
    if (WithinBound(bound, value)) return;
    Problem problem = At(ProblemKind::OutOfBounds, ErrorKind::Overflow, line, field, text);
    problem.subject = bound.name;
    problem.part = bound.part;
    problem.low = bound.low;
    problem.lowOpen = bound.lowOpen;
    problem.high = bound.high;
    throw StackFileError(std::move(problem));
  }

private:
  template <class Parse>
  std::invoke_result_t<Parse, std::string_view> Convert(int line, int field, Parse parse, const char* type) const {
    const std::string_view text = Field(line, field);
    try {
      return parse(text);
    } catch (const RuntimeError& error) {
      const bool overflow = error.kind() == ErrorKind::Overflow;
      Problem problem =
          At(overflow ? ProblemKind::NumberTooLarge : ProblemKind::BadNumber, error.kind(), line, field, text);
      problem.subject = type;
      throw StackFileError(std::move(problem));
    }
  }

  std::vector<std::string> lines_;
  std::vector<std::vector<std::string_view>> fields_;  // views into lines_
};

// The rules between values of one piece, beside the bounds of each value.
void CheckPieceRules(const PieceText& piece, Single side1, Single side2, Single cover, Single bottom, Single top) {
  if (!(top > bottom) || double{top} - bottom > kMaxPieceHeight) {
    Problem problem = At(ProblemKind::TopNotAboveBottom, ErrorKind::Overflow, 3, 4, piece.Field(3, 4));
    problem.other = std::string(piece.Field(3, 3));
    problem.high = kMaxPieceHeight;
    throw StackFileError(std::move(problem));
  }
  const Single smaller = side2 == 0 ? side1 : std::min(side1, side2);
  if (!(2 * double{cover} < smaller)) {
    Problem problem = At(ProblemKind::CoverTooLarge, ErrorKind::Overflow, 3, 2, piece.Field(3, 2));
    problem.high = smaller;
    throw StackFileError(std::move(problem));
  }
}

// Line 3 fields 0, 1, 3, 4 and line 10 fields 0, 1: what the first pass needs.
struct PieceSummary {
  Single side1, side2, bottomLevel, topLevel, offset1, offset2;
};

PieceSummary ReadSummaryFields(const PieceText& piece) {
  PieceSummary summary{};
  summary.side1 = piece.SingleAt(3, 0);
  summary.side2 = piece.SingleAt(3, 1);
  summary.bottomLevel = piece.SingleAt(3, 3);
  summary.topLevel = piece.SingleAt(3, 4);
  summary.offset1 = piece.OptionalSingle(0);
  summary.offset2 = piece.OptionalSingle(1);
  return summary;
}

// ---------------------------------------------------------------- paths

enum class EntryType { File, Folder };

bool HasType(const fs::path& path, EntryType type) {
  std::error_code error;
  return type == EntryType::File ? fs::is_regular_file(path, error) : fs::is_directory(path, error);
}

// folder/name, or, when that does not exist, the entry of the folder whose name differs
// only in letter case (the first in list order when there are several): the project
// folders are written on Windows, where "DIS" and "Dis" are the same folder.
fs::path ResolveEntry(const fs::path& folder, std::string_view name, EntryType type) {
  const fs::path exact = folder / PathFromUtf8(name);
  if (HasType(exact, type)) return exact;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return exact;
  std::vector<fs::path> matches;
  for (const auto& entry : it) {
    if (EqualsIgnoringCase(PathText(entry.path().filename()), name) && HasType(entry.path(), type)) {
      matches.push_back(entry.path());
    }
  }
  if (matches.empty()) return exact;
  return *std::min_element(matches.begin(), matches.end(), [](const fs::path& a, const fs::path& b) {
    return FileNameLess(PathText(a.filename()), PathText(b.filename()));
  });
}

}  // namespace

// ---------------------------------------------------------------- StackFileError

StackFileError::StackFileError(Problem problem)
    : RuntimeError(problem.error, DescribeProblem(problem)), problem_(std::move(problem)) {}

StackFileError StackFileError::WithFile(std::filesystem::path file) const {
  Problem problem = problem_;
  problem.file = std::move(file);
  return StackFileError(std::move(problem));
}

// ---------------------------------------------------------------- StackArrays

void StackArrays::Reset(Single last) {
  lastPieceIndex = last;
  const std::size_t size = last >= -1 ? static_cast<std::size_t>(last + 2) : 0;
  for (auto* array : {&side1, &side2, &topLevel, &offset1, &offset2, &side1Diff, &side2Diff}) {
    array->assign(size, Single{0});
  }
}

StackProfile StackArrays::Profile() const { return StackProfile{side1, side2, topLevel, lastPieceIndex}; }

// ---------------------------------------------------------------- text files

std::string ReadTextFile(const std::filesystem::path& path, std::uintmax_t maxBytes) {
  if (path.empty()) return "";
  std::string bytes;
  try {
    bytes = ReadRegularFile(path, maxBytes);
  } catch (const RuntimeError& error) {
    if (error.kind() == ErrorKind::FileNotFound) {
      Problem problem;
      problem.kind = ProblemKind::FileNotFound;
      problem.error = ErrorKind::FileNotFound;
      problem.file = path;
      throw StackFileError(std::move(problem));
    }
    // The message names the file already: only its reason follows the file here.
    std::string reason = error.what();
    if (const std::size_t colon = reason.find(": ", reason.find(PathText(path))); colon != std::string::npos) {
      reason.erase(0, colon + 2);
    }
    Problem problem;
    problem.kind = ProblemKind::FileUnreadable;
    problem.error = ErrorKind::FileIo;
    problem.file = path;
    problem.detail = std::move(reason);
    throw StackFileError(std::move(problem));
  }
  return TextOfFileBytes(bytes);
}

std::string TextOfFileBytes(std::string_view bytes) { return NormalizeLineEnds(DecodeFileText(bytes)); }

BarField ParseBarField(std::string_view text, bool diameterNeeded) {
  std::size_t sign = text.find(kDiameterSign);
  std::size_t signLength = kDiameterSign.size();
  if (const std::size_t misread = text.find(kMisreadDiameterSign); misread < sign) {
    sign = misread;
    signLength = kMisreadDiameterSign.size();
  }
  BarField bar;
  const std::string_view countText = text.substr(0, sign);
  double count = 0;
  if (!TryParseDouble(countText, count)) {
    Raise(ErrorKind::BadNumber, "the count " + Quoted(countText) + " is not a number (count" +
                                       std::string(kDiameterSign) + "diameter expected, as in 4" +
                                       std::string(kDiameterSign) + "16)");
  }
  if (count != std::floor(count)) Raise(ErrorKind::BadNumber, "the count " + Quoted(countText) + " is not whole");
  bar.count = RoundHalfEven(count);
  if (sign == std::string_view::npos) {
    if (diameterNeeded) {
      Raise(ErrorKind::MissingData, "there is no diameter sign " + std::string(kDiameterSign) +
                                                " (count" + std::string(kDiameterSign) + "diameter expected)");
    }
    return bar;
  }
  const std::string_view diameterText = text.substr(sign + signLength);
  double diameter = 0;
  if (!TryParseDouble(diameterText, diameter)) {
    Raise(ErrorKind::BadNumber, "the diameter " + Quoted(diameterText) + " is not a number");
  }
  bar.diameter = ToSingle(diameter * 0.1);  // mm in the file, cm in the drawing
  return bar;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  constexpr std::string_view kLineEnd = "\r\n";
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(kLineEnd, start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + kLineEnd.size();
  }
}

// ---------------------------------------------------------------- piece files

void ReadPieceSummary(std::string_view text, Single& firstSide1, Single& firstSide2, Integer index,
                      StackArrays& arrays) {
  const PieceSummary piece = ReadSummaryFields(PieceText(text));
  const auto at = static_cast<std::size_t>(index);
  if (index < 0 || at >= arrays.side1.size()) {
    Problem problem = At(ProblemKind::PieceIndexOutside, ErrorKind::MissingData, -1, -1);
    problem.low = index;
    throw StackFileError(std::move(problem));
  }
  if (index == 0) {
    firstSide1 = piece.side1;
    firstSide2 = piece.side2;
  }
  arrays.side1[at] = piece.side1;
  arrays.side2[at] = piece.side2;
  arrays.topLevel[at] = piece.topLevel;
  arrays.offset1[at] = piece.offset1;
  arrays.offset2[at] = piece.offset2;
  arrays.side1Diff[at] = index == 0 ? 0 : ToSingle(static_cast<double>(firstSide1) - piece.side1);
  arrays.side2Diff[at] = index == 0 ? 0 : ToSingle(static_cast<double>(firstSide2) - piece.side2);
}

ColumnPiece ReadPieceRecord(std::string_view text) {
  const PieceText piece(text);
  ColumnPiece record;
  record.stackId = piece.IntegerAt(0, 0);
  record.pieceNumber = piece.IntegerAt(0, 1);
  record.pieceCode = piece.IntegerAt(0, 2);
  record.barInset1 = piece.SingleAt(1, 0);
  record.barInset2 = piece.SingleAt(1, 1);
  record.barInset3 = piece.SingleAt(1, 2);
  record.barInset4 = piece.SingleAt(1, 3);
  for (int field = 0; field < static_cast<int>(record.flags.size()); ++field) {
    record.flags[static_cast<std::size_t>(field)] = piece.IntegerAt(2, field) != 0;
  }
  record.side1 = piece.SingleAt(3, 0);
  record.side2 = piece.SingleAt(3, 1);
  record.line3Value2 = piece.SingleAt(3, 2);
  record.bottomLevel = piece.SingleAt(3, 3);
  record.topLevel = piece.SingleAt(3, 4);
  for (int field = 0; field < 2; ++field) {
    record.line4[static_cast<std::size_t>(field)] = piece.SingleAt(4, field);
  }
  for (int field = 0; field < 2; ++field) {
    record.line5[static_cast<std::size_t>(field)] = piece.SingleAt(5, field);
  }
  record.bars1 = piece.BarAt(6, 0, true, record.barsSide1);
  record.bars2 = piece.BarAt(6, 1, true, record.barsSide2);
  record.steelArea = piece.SingleAt(7, 0);
  record.steelPercent = piece.SingleAt(7, 1);
  record.endZoneLength = piece.SingleAt(8, 0);
  record.endSpacing = piece.SingleAt(8, 1);
  record.midSpacing = piece.SingleAt(8, 2);
  record.stirrups1 = piece.BarAt(9, 0, true, record.stirrupsSide1);
  // Only the count of the other side's stirrups is drawn: a lone count is enough there.
  record.stirrups2 = piece.BarAt(9, 1, false, record.stirrupsSide2);
  record.offset1 = piece.OptionalSingle(0);
  record.offset2 = piece.OptionalSingle(1);
  record.line10Value2 = piece.OptionalSingle(2);
  for (int field = 0; field < static_cast<int>(record.endLengths.size()); ++field) {
    record.endLengths[static_cast<std::size_t>(field)] = piece.OptionalSingle(3 + field);
  }
  CheckPieceRules(piece, record.side1, record.side2, record.line3Value2, record.bottomLevel, record.topLevel);
  if (record.side2 == 0 && record.bars1.count < kMinCircularBars) {
    Problem problem = At(ProblemKind::TooFewCircularBars, ErrorKind::Overflow, 6, 0, piece.Field(6, 0));
    problem.low = kMinCircularBars;
    throw StackFileError(std::move(problem));
  }
  return record;
}

// ---------------------------------------------------------------- folder layout

std::filesystem::path ColumnStackFolderOf(const std::filesystem::path& project) {
  return ResolveEntry(project, "Pilastri", EntryType::Folder);
}

std::filesystem::path DrawingsFolderOf(const std::filesystem::path& project) {
  return ResolveEntry(project, "Disegni", EntryType::Folder);
}

std::filesystem::path StackIndexPath(const std::filesystem::path& columnStackFolder, std::string_view stackId) {
  return ResolveEntry(columnStackFolder, "P" + std::string(stackId) + ".pst", EntryType::File);
}

std::filesystem::path PieceFilePath(const std::filesystem::path& columnStackFolder, std::string_view pieceName) {
  const fs::path pieces = ResolveEntry(columnStackFolder, "Dis", EntryType::Folder);
  return ResolveEntry(pieces, std::string(pieceName) + ".pxf", EntryType::File);
}

std::vector<std::string> ListColumnStacks(const std::filesystem::path& columnStackFolder) {
  std::vector<std::string> stacks;
  for (const std::string& name : ListFileNames(columnStackFolder)) {
    // A name needs four characters to lose ("X" + "pst" at least); "pst" alone is not
    // a stack index file and is left out rather than given a made-up identifier.
    if (name.size() < 4 || !EqualsIgnoringCase(std::string_view(name).substr(name.size() - 3), "pst")) continue;
    stacks.push_back(name.size() > 5 ? name.substr(1, name.size() - 5) : std::string());
  }
  return stacks;
}

}  // namespace tessaro
