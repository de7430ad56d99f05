// How fast a drawing becomes a DXF file, against the limit of writing the same bytes with
// plain fwrite in the same run, and how much memory a million lines take.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_timing.h"
#include "cad/drawing.h"
#include "dxf/file.h"
#include "dxf_write/writer.h"

namespace {

namespace fs = std::filesystem;
using tessaro::bench::BestSecondsOf;
using tessaro::bench::ResidentBytes;
using tessaro::bench::SecondsOf;

constexpr std::size_t kEntities = 1'000'000;

float Coordinate(std::size_t i, std::size_t salt) { return static_cast<float>((i * 7919 + salt * 104729) % 100000) / 10.0f; }

tessaro::Drawing Lines(std::size_t count) {
  tessaro::Drawing drawing;
  drawing.Reserve(count);
  drawing.SetCurrentLayer("Ferri");
  for (std::size_t i = 0; i < count; ++i) {
    drawing.AddLine({{Coordinate(i, 1), Coordinate(i, 2)}, {Coordinate(i, 3), Coordinate(i, 4)}}, 3);
  }
  return drawing;
}

// Two lines, an arc, a circle and a text in every five entities, on four layers, like a
// sheet of column pieces.
tessaro::Drawing Mix(std::size_t count) {
  static const char* const kLayers[] = {"Cls", "Ferri", "Quote", "Testi"};
  static const char* const kTexts[] = {"4\xC3\x98" "16", "Staffe \xC3\x98" "8/20", "L=345", "3.50 m"};
  tessaro::Drawing drawing;
  drawing.Reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    drawing.SetCurrentLayer(kLayers[i % 4]);
    const float x = Coordinate(i, 1);
    const float y = Coordinate(i, 2);
    switch (i % 5) {
      case 0:
      case 1: drawing.AddLine({{x, y}, {Coordinate(i, 3), Coordinate(i, 4)}}, 5); break;
      case 2: drawing.AddArc({{x, y}, 2.5f, 90, 180}, 3); break;
      case 3: drawing.AddCircle({{x, y}, 0.8f}, 3); break;
      case 4: drawing.AddText({{x, y}, 2.5f, kTexts[i % 4], "Arial"}, 6); break;
    }
  }
  return drawing;
}

// What a drawing opened from another program holds: polylines with bulges, ellipses,
// multi-line texts, inserts of a block with an attribute, splines and hatches.
tessaro::Drawing Grown(std::size_t count) {
  using namespace tessaro;
  Drawing drawing;
  drawing.Reserve(count);
  const EntityStyle style{drawing.AddLayer("Pianta"), 256, std::nullopt};
  const BlockIndex door = drawing.AddBlock("Porta", {0, 0});
  drawing.OpenBlock(door);
  drawing.Add(style, LineGeometry{{0, 0}, {90, 0}});
  drawing.Add(style, ArcGeometry{{0, 0}, 90, 0, 90});
  drawing.CloseBlock();
  for (std::size_t i = 0; i < count; ++i) {
    const Point2d at{Coordinate(i, 1), Coordinate(i, 2)};
    switch (i % 6) {
      case 0: {
        const PolylineVertex vertices[] = {{at, 0}, {{at.x + 100, at.y}, 0.4142}, {{at.x + 100, at.y + 50}, 0}, {{at.x, at.y + 50}, -1}};
        drawing.Add(style, PolylineGeometry{.closed = true}, vertices);
        break;
      }
      case 1: drawing.Add(style, EllipseGeometry{at, {30, 10}, 0.5, 0, 3.14}); break;
      case 2:
        drawing.Add(style, MTextGeometry{.position = at, .height = 2.5, .width = 40, .value = "Soggiorno\\P24,5 m\xC2\xB2"});
        break;
      case 3:
        if (i + 1 == count) break;
        drawing.Add(style, InsertGeometry{.block = door, .position = at, .rotation = 90, .attributes = 1});
        drawing.Add(style, AttribGeometry{.text = {.position = at, .height = 2, .value = "P12"}, .tag = "SIGLA"});
        ++i;
        break;
      case 4:
        drawing.Add(style, SplineGeometry{.knots = {0, 0, 0, 0, 1, 1, 1, 1},
                                          .controlPoints = {at, {at.x + 10, at.y + 20}, {at.x + 30, at.y + 20}, {at.x + 40, at.y}}});
        break;
      case 5: {
        HatchGeometry hatch{.solid = true, .pattern = "SOLID"};
        hatch.loops.push_back(HatchLoop{.flags = 1, .isPolyline = true, .polyline = {{at, 0}, {{at.x + 5, at.y}, 0}, {{at.x, at.y + 5}, 0}}});
        drawing.Add(style, hatch);
        break;
      }
    }
  }
  return drawing;
}

void WriteWithFwrite(const std::string& bytes, const fs::path& path) {
  FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot open " + path.string());
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void Measure(const char* name, const tessaro::Drawing& drawing, const fs::path& folder) {
  const fs::path ours = folder / "ours.dxf";
  const fs::path plain = folder / "plain.dxf";
  const double writeSeconds = BestSecondsOf(3, [&] { tessaro::WriteDxfFile(drawing, ours); });
  std::string text;
  const double textSeconds = BestSecondsOf(3, [&] { text = tessaro::DxfText(drawing); });
  const double fwriteSeconds = BestSecondsOf(3, [&] { WriteWithFwrite(text, plain); });
  tessaro::Drawing read;
  const double readSeconds = SecondsOf([&] { tessaro::ReadDxfFile(read, ours); });

  const double megabytes = static_cast<double>(text.size()) / 1e6;
  const double entities = static_cast<double>(drawing.EntityCount());
  std::printf("%s: %zu entities, %.1f MB of DXF%s\n", name, drawing.EntityCount(), megabytes,
              read.EntityCount() == drawing.EntityCount() ? "" : "  (READ BACK A DIFFERENT COUNT)");
  std::printf("  WriteDxfFile      %7.3f s  %10.0f entities/s  %7.1f MB/s\n", writeSeconds, entities / writeSeconds,
              megabytes / writeSeconds);
  std::printf("  DxfText (memory)  %7.3f s  %10.0f entities/s  %7.1f MB/s\n", textSeconds, entities / textSeconds,
              megabytes / textSeconds);
  std::printf("  fwrite same bytes %7.3f s  %10.0f entities/s  %7.1f MB/s   (the limit)\n", fwriteSeconds,
              entities / fwriteSeconds, megabytes / fwriteSeconds);
  std::printf("  ratio WriteDxfFile / fwrite: %.1f\n", writeSeconds / fwriteSeconds);
  std::printf("  ReadDxfFile       %7.3f s  %10.0f entities/s\n", readSeconds, entities / readSeconds);
}

}  // namespace

// With `--write DIR` the bench only writes its two drawings there (lines.dxf, mix.dxf), so
// that a change of the writer can be checked byte for byte against an earlier build.
int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write") {
    tessaro::WriteDxfFile(Lines(kEntities), fs::path(argv[2]) / "lines.dxf");
    tessaro::WriteDxfFile(Mix(kEntities), fs::path(argv[2]) / "mix.dxf");
    return 0;
  }
  const fs::path folder = fs::temp_directory_path() / "tessaro_bench_dxf_write";
  fs::create_directories(folder);

  const long long before = ResidentBytes();
  const tessaro::Drawing lines = Lines(kEntities);
  const long long after = ResidentBytes();
  const double payload = static_cast<double>(kEntities * (sizeof(tessaro::EntityHeader) + sizeof(tessaro::LineGeometry)));
  std::printf("Drawing of %zu lines: %.1f MB of entity data (%zu bytes a line)", kEntities, payload / 1e6,
              sizeof(tessaro::EntityHeader) + sizeof(tessaro::LineGeometry));
  if (before >= 0 && after >= 0) std::printf(", resident memory grew by %.1f MB", static_cast<double>(after - before) / 1e6);
  std::printf("\n\n");

  Measure("1M lines", lines, folder);
  std::printf("\n");
  Measure("1M mix (40% lines, 20% arcs, 20% circles, 20% texts)", Mix(kEntities), folder);
  std::printf("\n");
  Measure("1M grown (polylines, ellipses, multi-line texts, inserts with an attribute, splines, hatches)",
          Grown(kEntities), folder);

  fs::remove_all(folder);
  return 0;
}
