// Whole DXF files: what we write reads back the same whatever the locale, texts too long for
// other readers are cut, and a failed read raises and leaves the drawing as it was.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

#include "base/errors.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "support/entity_list.h"
#include "support/temp_folder.h"

namespace tessaro {
namespace {

namespace fs = std::filesystem;

// Lines, circles, arcs and texts with Ø, €, ° and ∅ (which Windows-1252 lacks) on layers
// whose names need the code page, one of them off; values that are not short in binary.
Drawing SampleDrawing() {
  Drawing d;
  d.SetCurrentLayer("Cls");
  d.AddLine({{0, 0}, {12.7f, 30}}, 5);
  d.AddLine({{-3.3f, 0.1f}, {1234.567f, -0.001f}}, 0);
  d.SetCurrentLayer("Ferri");
  d.AddCircle({{2.5f, 7.1f}, 0.8f}, 3);
  d.AddArc({{10, 20}, 3.75f, 270, 90}, 21);
  d.SetCurrentLayer("Testi \xC3\xA8");
  d.AddText({{1.5f, 2}, 2.5f, "4\xC3\x98" "16", "Arial"}, 6);
  d.AddText({{1.5f, -5}, 3, "\xE2\x82\xAC 12 30\xC2\xB0 \xE2\x88\x85", "STANDARD"}, 256);
  d.SetLayerOn("Ferri", false);
  return d;
}

struct CommaDecimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

// Numbers are read and written without the locale: under an Italian user's comma locale every
// value comes back, and both the C and the C++ locale stay as they were.
TEST(DxfFile, RoundTripKeepsEveryEntityLayerAndTextWhateverTheLocale) {
  const test::TempFolder folder;
  const Drawing original = SampleDrawing();
  const std::locale savedGlobal;
  const std::string savedC = std::setlocale(LC_ALL, nullptr);
  const char* chosen = std::setlocale(LC_ALL, "C.UTF-8");
  const std::string expectedC = chosen != nullptr ? chosen : savedC;
  std::locale::global(std::locale(std::locale(), new CommaDecimals));
  WriteDxfFile(original, folder / "sample.dxf");
  Drawing read;
  read.AddLine({{7, 7}, {8, 8}}, 1);  // replaced by the file's content
  const DxfReadReport report = ReadDxfFile(read, folder / "sample.dxf");
  const char decimalPoint = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
  const std::string cLocale = std::setlocale(LC_ALL, nullptr);
  std::locale::global(savedGlobal);
  std::setlocale(LC_ALL, savedC.c_str());

  EXPECT_EQ(decimalPoint, ',');
  EXPECT_EQ(cLocale, expectedC);
  EXPECT_EQ(report.entitiesRead, original.EntityCount());
  test::ExpectSameListing(test::ListDrawing(read, {.layers = true}), test::ListDrawing(original, {.layers = true}));
}

// Other programs' readers choke on value lines of 1024 bytes or more: we write no such line,
// and never cut one inside a \U+XXXX escape.
TEST(DxfFile, LongTextsAreCutToWhatOtherReadersTake) {
  const test::TempFolder folder;
  Drawing drawing;
  drawing.AddText({{0, 0}, 1, std::string(1500, 'x'), "Arial"}, 1);
  drawing.AddText({{0, 0}, 1, std::string(998, 'y') + "\xE2\x88\x85", "Arial"}, 1);
  WriteDxfFile(drawing, folder / "long.dxf");
  ReadDxfFile(drawing, folder / "long.dxf");
  ASSERT_EQ(drawing.EntityCount(), 2u);
  EXPECT_EQ(drawing.Text(drawing.Entities()[0]).value, std::string(1000, 'x'));
  EXPECT_EQ(drawing.Text(drawing.Entities()[1]).value, std::string(998, 'y'));
}

// What the messages say is the reader's tests' business; a file cut short is read as far as
// it is whole (the reader's tests too).
TEST(DxfFile, FailedReadsRaiseAndLeaveTheDrawingAsItWas) {
  const test::TempFolder folder;
  Drawing drawing = SampleDrawing();
  // File (written when it has bytes; "" the folder itself), the error's kind.
  for (const auto& [name, bytes, kind] :
       {std::tuple<std::string, std::string, ErrorKind>{"binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), ErrorKind::BadFormat},
        {"notes.txt", "Pilastrata P1\nnot a drawing\n", ErrorKind::BadFormat},
        {"missing.dxf", "", ErrorKind::FileNotFound}, {"", "", ErrorKind::FileIo}}) {
    if (!bytes.empty()) folder.Write(name, bytes);
    try {
      ReadDxfFile(drawing, folder / name);
      ADD_FAILURE() << "read " << name;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.kind(), kind) << name;
    }
  }
  EXPECT_EQ(test::ListDrawing(drawing, {.layers = true}), test::ListDrawing(SampleDrawing(), {.layers = true}));
}

}  // namespace
}  // namespace tessaro
