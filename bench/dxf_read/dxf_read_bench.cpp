// How fast a DXF file becomes a drawing, against the limit of reading the same bytes from
// disk in the same run; how fast the drawing becomes a display list; and the memory a line
// takes in the drawing.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench_timing.h"
#include "display/display_list.h"
#include "cad/drawing.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"
#include "dxf/reader.h"

namespace {

namespace fs = std::filesystem;
using tessaro::bench::BestSecondsOf;
using tessaro::bench::CpuSeconds;
using tessaro::bench::ResidentBytes;
using tessaro::bench::SecondsOf;

constexpr std::size_t kEntities = 1'000'000;

// Numbers as CAD programs write them: up to 15 significant digits.
std::string Number(double value) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%.12g", value);
  return std::string(buffer, static_cast<std::size_t>(n));
}

class DxfText {
public:
  DxfText() {
    text_.reserve(200 * kEntities);
    Add(0, "SECTION"), Add(2, "HEADER"), Add(9, "$ACADVER"), Add(1, "AC1015"), Add(9, "$DWGCODEPAGE"),
        Add(3, "ANSI_1252"), Add(0, "ENDSEC");
    Add(0, "SECTION"), Add(2, "TABLES"), Add(0, "TABLE"), Add(2, "LAYER"), Add(70, "4");
    for (const char* layer : {"0", "Muri", "Porte", "Testi"}) Add(0, "LAYER"), Add(2, layer), Add(70, "0"), Add(62, "7");
    Add(0, "ENDTAB"), Add(0, "ENDSEC");
    Add(0, "SECTION"), Add(2, "BLOCKS"), Add(0, "BLOCK"), Add(8, "0"), Add(2, "Porta"), Add(70, "0"), Add(10, "0"),
        Add(20, "0");
    Head("LINE", "0"), Add(100, "AcDbLine"), Add(10, "0"), Add(20, "0"), Add(11, "90"), Add(21, "0");
    Head("ARC", "0"), Add(100, "AcDbCircle"), Add(10, "0"), Add(20, "0"), Add(40, "90"), Add(100, "AcDbArc"),
        Add(50, "0"), Add(51, "90");
    Add(0, "ENDBLK"), Add(0, "ENDSEC"), Add(0, "SECTION"), Add(2, "ENTITIES");
  }
  void Add(int code, const std::string& value) {
    text_ += std::to_string(code);
    text_ += '\n';
    text_ += value;
    text_ += '\n';
  }
  void Head(const char* type, const char* layer) {
    Add(0, type), Add(5, Handle()), Add(330, "1F"), Add(100, "AcDbEntity"), Add(8, layer);
  }
  std::string Handle() {
    char buffer[20];
    const int n = std::snprintf(buffer, sizeof buffer, "%zX", ++handle_);
    return std::string(buffer, static_cast<std::size_t>(n));
  }
  std::string Finish() {
    Add(0, "ENDSEC"), Add(0, "EOF");
    return std::move(text_);
  }

private:
  std::string text_;
  std::size_t handle_ = 0x100;
};

std::string LinesFile() {
  DxfText dxf;
  std::mt19937 random(1);
  std::uniform_real_distribution<double> coordinate(0.0, 100000.0);
  for (std::size_t i = 0; i < kEntities; ++i) {
    dxf.Head("LINE", "Muri"), dxf.Add(100, "AcDbLine");
    dxf.Add(10, Number(coordinate(random))), dxf.Add(20, Number(coordinate(random))), dxf.Add(30, "0");
    dxf.Add(11, Number(coordinate(random))), dxf.Add(21, Number(coordinate(random))), dxf.Add(31, "0");
  }
  return dxf.Finish();
}

// Per ten entities: four lines, two polylines with bulges, an arc, a circle, a text and an
// insert of a block.
std::string MixedFile() {
  DxfText dxf;
  std::mt19937 random(2);
  std::uniform_real_distribution<double> coordinate(0.0, 100000.0);
  const auto xy = [&](int code) {
    dxf.Add(code, Number(coordinate(random)));
    dxf.Add(code + 10, Number(coordinate(random)));
  };
  for (std::size_t i = 0; i < kEntities; i += 10) {
    for (int k = 0; k < 4; ++k) dxf.Head("LINE", "Muri"), dxf.Add(100, "AcDbLine"), xy(10), xy(11);
    for (int k = 0; k < 2; ++k) {
      dxf.Head("LWPOLYLINE", "Muri"), dxf.Add(100, "AcDbPolyline"), dxf.Add(90, "4"), dxf.Add(70, "1");
      for (int v = 0; v < 4; ++v) xy(10), dxf.Add(42, v % 2 == 0 ? "0.41421356237" : "0");
    }
    dxf.Head("ARC", "Porte"), dxf.Add(100, "AcDbCircle"), xy(10), dxf.Add(40, "45.5"), dxf.Add(100, "AcDbArc"),
        dxf.Add(50, "30"), dxf.Add(51, "120");
    dxf.Head("CIRCLE", "Porte"), dxf.Add(100, "AcDbCircle"), xy(10), dxf.Add(40, "12.25");
    dxf.Head("TEXT", "Testi"), dxf.Add(100, "AcDbText"), xy(10), dxf.Add(40, "25"), dxf.Add(1, "Camera 12 %%c16"),
        dxf.Add(50, "90"), dxf.Add(100, "AcDbText");
    dxf.Head("INSERT", "Porte"), dxf.Add(100, "AcDbBlockReference"), dxf.Add(2, "Porta"), xy(10),
        dxf.Add(50, "270");
  }
  return dxf.Finish();
}

std::string ReadRaw(const fs::path& path) {
  std::string bytes(fs::file_size(path), '\0');
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (file == nullptr) return {};
  const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  bytes.resize(read);
  return bytes;
}

void Measure(const char* name, const fs::path& path) {
  const double size = static_cast<double>(fs::file_size(path));
  std::size_t sink = 0;
  const double raw = BestSecondsOf(3, [&] { sink += ReadRaw(path).size(); }, CpuSeconds);
  tessaro::Drawing drawing;
  tessaro::DxfReadReport report;
  const double read = BestSecondsOf(3, [&] { report = tessaro::ReadDxfFile(drawing, path); }, CpuSeconds);
  const std::string bytes = ReadRaw(path);
  double parse = 1e30;
  for (int run = 0; run < 3; ++run) {
    std::string copy = bytes;  // outside the timing: the read takes its text by value
    tessaro::Drawing fresh;
    parse = std::min(parse,
                     SecondsOf([&] { tessaro::ReadDxfText(std::move(copy), fresh, path.string()); }, CpuSeconds));
  }
  tessaro::DisplayList list;
  const double flatten = BestSecondsOf(3, [&] { list = tessaro::FlattenDrawing(drawing); }, CpuSeconds);
  const double entities = static_cast<double>(report.entitiesRead);
  std::printf("%s: %.0f MB, %zu entities (%s)\n", name, size / 1e6, report.entitiesRead,
              tessaro::DxfReadReport::CountList(report.drawnTypes).c_str());
  std::printf("  raw read of the bytes      %7.3f s  %7.0f MB/s\n", raw, size / raw / 1e6);
  std::printf("  ReadDxfFile (disk + parse) %7.3f s  %7.2f M entities/s  ratio to raw read %.1f\n", read,
              entities / read / 1e6, read / raw);
  std::printf("  ReadDxfText (parse only)   %7.3f s  %7.2f M entities/s  %7.0f MB/s\n", parse, entities / parse / 1e6,
              size / parse / 1e6);
  std::printf("  FlattenDrawing             %7.3f s  %zu shapes\n", flatten, list.Shapes().size());
  if (sink == 0) std::printf("(nothing read)\n");
}

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / ("tessaro_bench_dxf_read_" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  {
    std::ofstream(folder / "lines.dxf", std::ios::binary) << LinesFile();
    std::ofstream(folder / "mixed.dxf", std::ios::binary) << MixedFile();
  }
  Measure("1M LINE", folder / "lines.dxf");
  Measure("1M mixed", folder / "mixed.dxf");

  const long long before = ResidentBytes();
  {
    tessaro::Drawing drawing;
    tessaro::ReadDxfFile(drawing, folder / "lines.dxf");
    const long long after = ResidentBytes();
    std::printf("memory per line entity: %zu bytes of header and geometry; resident growth %.1f bytes/line\n",
                sizeof(tessaro::EntityHeader) + sizeof(tessaro::LineGeometry),
                static_cast<double>(after - before) / static_cast<double>(drawing.EntityCount()));
  }
  fs::remove_all(folder);
  return 0;
}
