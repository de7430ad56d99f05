// The load of one column stack: two passes over its piece files, the property rows of
// every piece and the two DrawPieceView calls per piece, with the stop-at-first-error
// style of the file reading and the skip-the-statement style of the drawing.
#include "column_stack/stack_load.h"

#include <array>
#include <utility>

#include "base/errors.h"
#include "text/numbers.h"

namespace tessaro {

namespace {

// A problem in one file: a StackFileError raised by the readers (which do not know the
// file) gets the file; any other run-time error becomes one about the whole file.
StackFileError AboutFile(const RuntimeError& error, const std::filesystem::path& file) {
  if (const auto* fileError = dynamic_cast<const StackFileError*>(&error)) {
    return fileError->file().empty() ? fileError->WithFile(file) : *fileError;
  }
  Problem problem;
  problem.kind = error.kind() == ErrorKind::FileNotFound ? ProblemKind::FileNotFound : ProblemKind::FileUnreadable;
  problem.error = error.kind();
  problem.file = file;
  problem.detail = error.what();
  return StackFileError(std::move(problem));
}

Problem AboutStack(ProblemKind kind, const std::filesystem::path& indexPath) {
  Problem problem;
  problem.kind = kind;
  problem.error = kind == ProblemKind::TooManyPieces ? ErrorKind::Overflow : ErrorKind::BadFormat;
  problem.file = indexPath;
  return problem;
}

// The piece file named by a line of the stack index file.
struct PieceLine {
  Integer index;
  std::filesystem::path file;
  std::string text;  // read by the first pass, parsed again by the second
};

// ---------------------------------------------------------------------------------------
// Property rows

// One row of a piece's table: a number with its unit, or a text field as it is.
struct PieceRow {
  PropertyRow::Kind kind;
  int depth;
  const char* caption;
  Single ColumnPiece::*number;      // shown as FormatSingle & suffix
  std::string ColumnPiece::*text;   // shown as it is
  const char* suffix;
};

using K = PropertyRow::Kind;

// Everything after the category and the "ID pilastrata" row, in grid order.
constexpr std::array kPieceRows{
    PieceRow{K::Text, 1, "Lato 1", &ColumnPiece::side1, nullptr, " cm"},
    PieceRow{K::Text, 1, "Lato 2", &ColumnPiece::side2, nullptr, " cm"},
    PieceRow{K::Text, 1, "Quota iniziale", &ColumnPiece::bottomLevel, nullptr, " cm"},
    PieceRow{K::Text, 1, "Quota finale", &ColumnPiece::topLevel, nullptr, " cm"},
    PieceRow{K::SubCategory, 1, "Ferri longitudinali", nullptr, nullptr, ""},
    PieceRow{K::Text, 2, "Ferri lato 1", nullptr, &ColumnPiece::barsSide1, ""},
    PieceRow{K::Text, 2, "Ferri lato 2", nullptr, &ColumnPiece::barsSide2, ""},
    PieceRow{K::Text, 2, "Area acciaio totale", &ColumnPiece::steelArea, nullptr, " cm"},
    PieceRow{K::Text, 2, "Percentuale acciaio", &ColumnPiece::steelPercent, nullptr, " %"},
    PieceRow{K::SubCategory, 1, "Staffe", nullptr, nullptr, ""},
    PieceRow{K::Text, 2, "Staffe lato 1", nullptr, &ColumnPiece::stirrupsSide1, ""},
    PieceRow{K::Text, 2, "Staffe lato 2", nullptr, &ColumnPiece::stirrupsSide2, ""},
    PieceRow{K::Text, 2, "Passo estremit\xC3\xA0", &ColumnPiece::endSpacing, nullptr, " cm"},
    PieceRow{K::Text, 2, "Lunghezza per passo estremit\xC3\xA0", &ColumnPiece::endZoneLength, nullptr, " cm"},
    PieceRow{K::Text, 2, "Passo zona centrale", &ColumnPiece::midSpacing, nullptr, " cm"},
    PieceRow{K::SubCategory, 1, "Disassamenti", nullptr, nullptr, ""},
    PieceRow{K::Text, 2, "Disassamento lato 1", &ColumnPiece::offset1, nullptr, " cm"},
    PieceRow{K::Text, 2, "Disassamento lato 2", &ColumnPiece::offset2, nullptr, " cm"},
};

void AppendPieceRows(std::vector<PropertyRow>& rows, const ColumnPiece& piece, const NumberFormat& numbers) {
  rows.push_back({K::Category, 0, "Pilastro " + FormatInteger(piece.pieceNumber), ""});
  rows.push_back({K::Number, 1, "ID pilastrata", FormatInteger(piece.stackId)});
  for (const PieceRow& row : kPieceRows) {
    std::string value;
    if (row.number != nullptr) value = FormatSingle(piece.*row.number, numbers) + row.suffix;
    if (row.text != nullptr) value = piece.*row.text;
    rows.push_back({row.kind, row.depth, row.caption, std::move(value)});
  }
}

// ---------------------------------------------------------------------------------------
// Drawing arguments

// The record fields a view's by-reference arguments are bound to. View 2 swaps the side
// fields; its seat steps swap once more when the piece is offset the other way.
struct ViewFields {
  Single ColumnPiece::*insetLeft;
  Single ColumnPiece::*insetRight;
  Single ColumnPiece::*width;
  Single ColumnPiece::*depth;
  BarField ColumnPiece::*barsWidth;
  BarField ColumnPiece::*barsDepth;
  BarField ColumnPiece::*stirrups;
  BarField ColumnPiece::*otherStirrups;
};

constexpr ViewFields kView1Fields{&ColumnPiece::barInset3, &ColumnPiece::barInset4, &ColumnPiece::side1,
                                  &ColumnPiece::side2,     &ColumnPiece::bars1,     &ColumnPiece::bars2,
                                  &ColumnPiece::stirrups1, &ColumnPiece::stirrups2};
constexpr ViewFields kView2Fields{&ColumnPiece::barInset1, &ColumnPiece::barInset2, &ColumnPiece::side2,
                                  &ColumnPiece::side1,     &ColumnPiece::bars2,     &ColumnPiece::bars1,
                                  &ColumnPiece::stirrups2, &ColumnPiece::stirrups1};

// The values of one piece's load that are not fields of its record.
struct PieceLocals {
  Integer index = 0;
  Single sizeDiff1 = 0, sizeDiff2 = 0;
  Single k1 = 0.5f, k2 = 0.5f;
  Single sign1 = 1;
  bool sectionChanged = false;
  Single endValue = 100;
  Single prevSideChange = 0, prevOffsetChange = 0;  // of the view being drawn
};

// The per-view variables: which locals and record fields the arguments are bound to.
struct ViewBinding {
  ViewFields fields;
  Single PieceLocals::*sizeDiff;
  Single PieceLocals::*k;
  bool firstView;
  Single* viewOffset;  // nullptr: the literal 0 of view 1
};

PieceViewArgs MakeArgs(const ColumnPiece& piece, const PieceLocals& locals, const ViewBinding& view,
                       SkippedErrors& skipped) {
  PieceViewArgs args;
  const ViewFields& f = view.fields;
  args.sizeDiff = locals.*view.sizeDiff;
  Skipping(skipped, [&] { args.elevationShift = ToSingle(double{locals.*view.sizeDiff} * (locals.*view.k)); });
  args.viewOffset = view.viewOffset != nullptr ? *view.viewOffset : 0;
  args.stackId = piece.stackId;
  args.pieceNumber = piece.pieceNumber;
  args.pieceCode = piece.pieceCode;
  args.insetLeft = piece.*f.insetLeft;
  args.insetRight = piece.*f.insetRight;
  args.width = piece.*f.width;
  args.depth = piece.*f.depth;
  args.bottomLevel = piece.bottomLevel;
  args.topLevel = piece.topLevel;
  args.barsWidth = piece.*f.barsWidth;
  args.barsDepth = piece.*f.barsDepth;
  args.endZoneLength = piece.endZoneLength;
  args.endSpacing = piece.endSpacing;
  args.midSpacing = piece.midSpacing;
  args.stirrups = piece.*f.stirrups;
  args.otherStirrups = piece.*f.otherStirrups;
  args.cover = piece.line3Value2;
  args.pieceIndex = locals.index;
  args.firstView = view.firstView;
  args.drawSection = view.firstView;
  args.cornersOnWidth = view.firstView;
  args.line10Value2 = piece.line10Value2;
  args.endValue = locals.endValue;
  args.sectionChanged = locals.sectionChanged;
  args.prevSideChange = locals.prevSideChange;
  args.prevOffsetChange = locals.prevOffsetChange;
  return args;
}

// What the drawing changed in its arguments reaches the variables they were bound to,
// as by-reference arguments do: a circular section's view 1 turns the record's Side2
// into the diameter, which view 2 then draws as its width. Argument 3 is an expression
// and the literals of arguments 4 (view 1) and 23-25 are temporaries: nothing to copy.
// The piece index is the loop counter of the load and is left alone.
void CopyBack(const PieceViewArgs& args, ColumnPiece& piece, PieceLocals& locals, const ViewBinding& view) {
  const ViewFields& f = view.fields;
  locals.*view.sizeDiff = args.sizeDiff;
  if (view.viewOffset != nullptr) *view.viewOffset = args.viewOffset;
  piece.stackId = args.stackId;
  piece.pieceNumber = args.pieceNumber;
  piece.pieceCode = args.pieceCode;
  piece.*f.insetLeft = args.insetLeft;
  piece.*f.insetRight = args.insetRight;
  piece.*f.width = args.width;
  piece.*f.depth = args.depth;
  piece.bottomLevel = args.bottomLevel;
  piece.topLevel = args.topLevel;
  piece.*f.barsWidth = args.barsWidth;
  piece.*f.barsDepth = args.barsDepth;
  piece.endZoneLength = args.endZoneLength;
  piece.endSpacing = args.endSpacing;
  piece.midSpacing = args.midSpacing;
  piece.*f.stirrups = args.stirrups;
  piece.*f.otherStirrups = args.otherStirrups;
  piece.line3Value2 = args.cover;
  piece.line10Value2 = args.line10Value2;
  locals.endValue = args.endValue;
  locals.sectionChanged = args.sectionChanged;
  locals.prevSideChange = args.prevSideChange;
  locals.prevOffsetChange = args.prevOffsetChange;
}

// ---------------------------------------------------------------------------------------
// One piece

// The smallest of the four end lengths, a 0 counting as 100, taken pairwise.
Single EndValueOf(const std::array<Single, 4>& lengths) {
  const auto value = [&](int i) { return lengths[i] == 0 ? Single{100} : lengths[i]; };
  return MinOf(MinOf(value(0), value(1)), MinOf(value(2), value(3)));
}

class StackLoader {
public:
  StackLoader(Canvas& canvas, StackSession& session, const std::filesystem::path& folder, std::string_view stackId,
              bool reloadingAfterEdit, StackLoadResult& result)
      : canvas_(canvas), session_(session), folder_(folder), stackId_(stackId),
        reloadingAfterEdit_(reloadingAfterEdit), result_(result) {}

  void Run();

private:
  std::vector<PieceLine> ReadIndex();
  void FirstPass(std::vector<PieceLine>& pieces);
  void SecondPass(const std::vector<PieceLine>& pieces);
  void ShowAndDrawPiece(ColumnPiece piece, Integer index);
  void NoteSkippedStatements(const std::filesystem::path& file);
  void DrawView(ColumnPiece& piece, PieceLocals& locals, const ViewBinding& view, const StackProfile& profile);

  Canvas& canvas_;
  StackSession& session_;
  const std::filesystem::path& folder_;
  std::string stackId_;
  bool reloadingAfterEdit_;
  StackLoadResult& result_;
  Single firstSide1_ = 0;
  Single firstSide2_ = 0;
};

void StackLoader::Run() {
  const std::filesystem::path indexPath = StackIndexPath(folder_, stackId_);
  std::string indexText;
  try {
    indexText = ReadTextFile(indexPath, kMaxIndexFileBytes);
  } catch (const RuntimeError& error) {
    result_.problem = AboutFile(error, indexPath);
    return;  // nothing cleared, nothing drawn
  }
  result_.indexFound = true;
  canvas_.drawing.Clear();
  canvas_.skipped.Clear();

  const std::vector<std::string> lines = SplitLines(indexText);
  // The element after the final line end is no line of the file.
  const std::size_t fileLines = lines.size() - (!lines.empty() && lines.back().empty() ? 1 : 0);
  if (fileLines > kMaxIndexLines) {
    Problem problem = AboutStack(ProblemKind::TooManyPieces, indexPath);
    problem.line = static_cast<int>(kMaxIndexLines);
    problem.text = lines[kMaxIndexLines];
    problem.high = static_cast<double>(kMaxIndexLines);
    result_.problem = StackFileError(std::move(problem));
    return;
  }
  session_.arrays.Reset(static_cast<Single>(lines.size()) - 1);
  std::vector<PieceLine> pieces;
  try {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].empty()) continue;
      pieces.push_back({RoundHalfEven(static_cast<double>(i)), PieceFilePath(folder_, lines[i]), {}});
    }
  } catch (const RuntimeError& error) {
    result_.problem = AboutFile(error, indexPath);
    return;
  }
  FirstPass(pieces);
  if (result_.problem) return;
  SecondPass(pieces);
  if (!result_.problem) result_.completed = true;
}

// The second pass parses the texts the first pass read: a piece file is read from disk once
// per load, which halves the file opens of a batch.
void StackLoader::FirstPass(std::vector<PieceLine>& pieces) {
  for (PieceLine& piece : pieces) {
    try {
      piece.text = ReadTextFile(piece.file);
      ReadPieceSummary(piece.text, firstSide1_, firstSide2_, piece.index, session_.arrays);
    } catch (const RuntimeError& error) {
      result_.problem = AboutFile(error, piece.file);
      return;
    }
  }
}

void StackLoader::SecondPass(const std::vector<PieceLine>& pieces) {
  for (const PieceLine& piece : pieces) {
    ColumnPiece record;
    try {
      record = ReadPieceRecord(piece.text);
    } catch (const RuntimeError& error) {
      result_.problem = AboutFile(error, piece.file);
      return;  // the pieces before it stay drawn and shown
    }
    ShowAndDrawPiece(std::move(record), piece.index);
    ++result_.piecesShown;
    NoteSkippedStatements(piece.file);
  }
}

// The first piece whose drawing skipped a statement is the stack's drawing problem: the
// drawing goes on, as on the screen, but it is not whole.
void StackLoader::NoteSkippedStatements(const std::filesystem::path& file) {
  if (result_.drawingProblem || canvas_.skipped.count() == 0) return;
  const RuntimeError& first = *canvas_.skipped.first();
  Problem problem;
  problem.kind = ProblemKind::DrawingIncomplete;
  problem.error = first.kind();
  problem.file = file;
  problem.detail = first.what();
  result_.drawingProblem = StackFileError(std::move(problem));
}

// From here on a failing statement is skipped and the piece goes on.
void StackLoader::ShowAndDrawPiece(ColumnPiece piece, Integer index) {
  const StackArrays& arrays = session_.arrays;
  PieceLocals locals;
  locals.index = index;
  if (index == 0) {
    firstSide1_ = piece.side1;
    firstSide2_ = piece.side2;
  } else {
    Skipping(canvas_.skipped, [&] { locals.sizeDiff1 = ToSingle(double{firstSide1_} - piece.side1); });
    Skipping(canvas_.skipped, [&] { locals.sizeDiff2 = ToSingle(double{firstSide2_} - piece.side2); });
  }
  if (!reloadingAfterEdit_) Skipping(canvas_.skipped, [&] { AppendPieceRows(result_.rows, piece, canvas_.numbers); });
  result_.drawingName = "Pilastrata_" + stackId_;
  if (index == 0) session_.view2Offset = piece.side1 <= 150 ? 1350.0f : 1500.0f;

  const std::size_t i = static_cast<std::size_t>(index);
  Skipping(canvas_.skipped, [&] {
    locals.sectionChanged = index >= 1 && (ToSingle(double{arrays.side1.at(i - 1)} - piece.side1) != 0 ||
                                           ToSingle(double{arrays.side2.at(i - 1)} - piece.side2) != 0);
  });
  Skipping(canvas_.skipped, [&] { locals.sign1 = double{piece.offset1} - arrays.offset1.at(0) >= 0 ? 1.0f : -1.0f; });
  if (index >= 1) {
    Skipping(canvas_.skipped, [&] {
      if (locals.sizeDiff1 != 0)
        locals.k1 = ToSingle(0.5 - Divide(double{piece.offset2} - arrays.offset2.at(0), locals.sizeDiff1));
    });
    Skipping(canvas_.skipped, [&] {
      if (locals.sizeDiff2 != 0)
        locals.k2 = ToSingle(0.5 - Divide((double{piece.offset1} - arrays.offset1.at(0)) * locals.sign1,
                                      locals.sizeDiff2));
    });
  }
  locals.endValue = EndValueOf(piece.endLengths);

  const StackProfile profile = arrays.Profile();
  // View 1: side 1 across; the change against the piece below is of side 1 and offset 2.
  const ViewBinding view1{kView1Fields, &PieceLocals::sizeDiff1, &PieceLocals::k1, true, nullptr};
  locals.prevSideChange = locals.prevOffsetChange = 0;
  if (index >= 1) {
    Skipping(canvas_.skipped, [&] {
      locals.prevSideChange = ToSingle(double{arrays.side1.at(i - 1)} - arrays.side1.at(i));
    });
    Skipping(canvas_.skipped, [&] {
      locals.prevOffsetChange = ToSingle(double{arrays.offset2.at(i - 1)} - arrays.offset2.at(i));
    });
  }
  DrawView(piece, locals, view1, profile);

  // View 2: side 2 across; its seat steps face the other way when the piece is offset
  // below piece 0 along side 1.
  ViewFields fields2 = kView2Fields;
  if (locals.sign1 < 0) std::swap(fields2.insetLeft, fields2.insetRight);
  const ViewBinding view2{fields2, &PieceLocals::sizeDiff2, &PieceLocals::k2, false, &session_.view2Offset};
  locals.prevSideChange = locals.prevOffsetChange = 0;
  if (index >= 1) {
    Skipping(canvas_.skipped, [&] {
      locals.prevSideChange = ToSingle(double{arrays.side2.at(i - 1)} - arrays.side2.at(i));
    });
    Skipping(canvas_.skipped, [&] {
      locals.prevOffsetChange = ToSingle(double{arrays.offset1.at(i - 1)} - arrays.offset1.at(i));
    });
  }
  DrawView(piece, locals, view2, profile);
}

void StackLoader::DrawView(ColumnPiece& piece, PieceLocals& locals, const ViewBinding& view,
                           const StackProfile& profile) {
  PieceViewArgs args = MakeArgs(piece, locals, view, canvas_.skipped);
  Skipping(canvas_.skipped, [&] { DrawPieceView(canvas_, session_.views, session_.options, profile, args); });
  CopyBack(args, piece, locals, view);
}

}  // namespace

StackLoadResult LoadStack(Canvas& canvas, StackSession& session, const std::filesystem::path& columnStackFolder,
                          std::string_view stackId, bool reloadingAfterEdit) {
  StackLoadResult result;
  StackLoader(canvas, session, columnStackFolder, stackId, reloadingAfterEdit, result).Run();
  return result;
}

std::optional<StackFileError> LoadProblemOf(const StackLoadResult& result, const std::filesystem::path& indexPath) {
  if (result.problem) return result.problem;
  if (result.drawingProblem) return result.drawingProblem;
  if (!result.completed) return StackFileError(AboutStack(ProblemKind::StackNotLoaded, indexPath));
  if (result.piecesShown == 0) return StackFileError(AboutStack(ProblemKind::NoPieces, indexPath));
  return std::nullopt;
}

}  // namespace tessaro
