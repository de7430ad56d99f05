// Reading the stack index files and piece files of a project: text decoding and line
// splitting, the piece record with its optional line 10, the per-stack arrays, the
// folder layout (with the letter-case tolerance that folders copied from Windows need)
// and the list of the stacks of a folder.
#include "column_stack/stack_files.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>
#include <type_traits>
#include <utility>

#include "platform/encoding.h"
#include "platform/folder_listing.h"

namespace tessaro {

namespace fs = std::filesystem;

namespace {

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathFromUtf8(std::string_view text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string ComposeMessage(const std::string& message, const fs::path& file, int line, int field) {
  std::string where;
  if (!file.empty()) where = PathText(file);
  const auto append = [&where](const std::string& part) { where += (where.empty() ? "" : ", ") + part; };
  if (line >= 0) append("line " + std::to_string(line + 1) + " (" + std::to_string(line) + " from 0)");
  if (field >= 0) append("field " + std::to_string(field + 1) + " (" + std::to_string(field) + " from 0)");
  return where.empty() ? message : where + ": " + message;
}

// ---------------------------------------------------------------- text and lines

bool HasNonAscii(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The design program writes Windows-1252; a file that was saved again as UTF-8 (by an
// editor, or copied through a tool that converts) is recognised because a Windows-1252
// text with Ø before a digit is never well-formed UTF-8.
std::string DecodeFileText(std::string_view bytes) {
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

// The lines and fields of one piece file, with the conversions of its fields. Lines 0-9
// raise StackFileError naming line, field and text; line 10 gives 0 on any problem.
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
      throw StackFileError(ErrorKind::SubscriptOutOfRange, "the line is missing", {}, line, field, "");
    }
    const auto at = static_cast<std::size_t>(line);
    if (field >= static_cast<int>(fields_[at].size())) {
      throw StackFileError(ErrorKind::SubscriptOutOfRange,
                           lines_[at].empty() ? "the line is empty" : "the field is missing", {}, line, field,
                           lines_[at]);
    }
    return fields_[at][static_cast<std::size_t>(field)];
  }

  std::string String(int line, int field) const { return std::string(Field(line, field)); }
  Single SingleAt(int line, int field) const { return Convert(line, field, ParseSingle, "a Single"); }
  Integer IntegerAt(int line, int field) const { return Convert(line, field, ParseInteger, "a 16-bit Integer"); }

  // A field of the optional line 10: 0 when the line or the field is missing or does not convert.
  Single OptionalSingle(int field) const {
    Single value = 0;
    Skipping([&] { value = SingleAt(kOptionalLine, field); });
    return value;
  }

private:
  template <class Parse>
  std::invoke_result_t<Parse, std::string_view> Convert(int line, int field, Parse parse, const char* type) const {
    const std::string_view text = Field(line, field);
    try {
      return parse(text);
    } catch (const RuntimeError& error) {
      const std::string quoted = "\"" + std::string(text) + "\"";
      const std::string message = error.kind() == ErrorKind::Overflow ? quoted + " is out of range for " + type
                                                                      : quoted + " is not " + type;
      throw StackFileError(error.kind(), message, {}, line, field, std::string(text));
    }
  }

  std::vector<std::string> lines_;
  std::vector<std::vector<std::string_view>> fields_;  // views into lines_
};

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

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

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
    if (SameIgnoringCase(PathText(entry.path().filename()), name) && HasType(entry.path(), type)) {
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

StackFileError::StackFileError(ErrorKind kind, const std::string& message, std::filesystem::path file, int line,
                               int field, std::string text)
    : RuntimeError(kind, ComposeMessage(message, file, line, field)),
      message_(message),
      file_(std::move(file)),
      line_(line),
      field_(field),
      text_(std::move(text)) {}

std::string StackFileError::Describe() const { return what(); }

StackFileError StackFileError::WithFile(std::filesystem::path file) const {
  return StackFileError(kind(), message_, std::move(file), line_, field_, text_);
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

std::string ReadTextFile(const std::filesystem::path& path) {
  if (path.empty()) return "";
  std::error_code error;
  if (!fs::exists(path, error)) {
    throw StackFileError(ErrorKind::FileNotFound, "file not found", path, -1, -1, "");
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in || fs::is_directory(path, error)) {
    throw StackFileError(ErrorKind::FileIo, "the file cannot be read", path, -1, -1, "");
  }
  return NormalizeLineEnds(DecodeFileText(bytes.str()));
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
    throw StackFileError(ErrorKind::SubscriptOutOfRange,
                         "piece index " + std::to_string(index) + " is outside the stack arrays", {}, -1, -1, "");
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
  arrays.side1Diff[at] = index == 0 ? 0 : CSng(static_cast<double>(firstSide1) - piece.side1);
  arrays.side2Diff[at] = index == 0 ? 0 : CSng(static_cast<double>(firstSide2) - piece.side2);
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
  record.barsSide1 = piece.String(6, 0);
  record.barsSide2 = piece.String(6, 1);
  record.steelArea = piece.SingleAt(7, 0);
  record.steelPercent = piece.SingleAt(7, 1);
  record.endZoneLength = piece.SingleAt(8, 0);
  record.endSpacing = piece.SingleAt(8, 1);
  record.midSpacing = piece.SingleAt(8, 2);
  record.stirrupsSide1 = piece.String(9, 0);
  record.stirrupsSide2 = piece.String(9, 1);
  record.offset1 = piece.OptionalSingle(0);
  record.offset2 = piece.OptionalSingle(1);
  record.line10Value2 = piece.OptionalSingle(2);
  for (int field = 0; field < static_cast<int>(record.endLengths.size()); ++field) {
    record.endLengths[static_cast<std::size_t>(field)] = piece.OptionalSingle(3 + field);
  }
  return record;
}

// ---------------------------------------------------------------- folder layout

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
    if (name.size() < 4 || !SameIgnoringCase(std::string_view(name).substr(name.size() - 3), "pst")) continue;
    stacks.push_back(name.size() > 5 ? name.substr(1, name.size() - 5) : std::string());
  }
  return stacks;
}

}  // namespace tessaro
