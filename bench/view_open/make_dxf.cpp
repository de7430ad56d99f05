// bench_make_dxf: writes the benchmark drawings as raw DXF text (R2000, ASCII), so every
// program under test reads the same bytes and nothing is downloaded:
//   bench_make_dxf lines COUNT OUT.dxf   COUNT lines
//   bench_make_dxf mixed COUNT OUT.dxf   COUNT model-space entities: per ten, four lines,
//                                        two light polylines with bulges, an arc, a circle,
//                                        a text and an insert of a six-entity block
// Entities come in runs of one layer over a 100 m x 60 m plan (units cm), as a real plan
// groups them; the numbers are a fixed pseudo-random sequence, so files repeat exactly.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr int kLayers = 8;
constexpr int kRun = 500;  // entities of one layer in a row
constexpr double kWidth = 10000, kHeight = 6000;

class Random {
public:
  double Next() {  // [0, 1)
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }

private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

class Out {
public:
  explicit Out(std::FILE* f) : f_(f) {}
  void Pair(int code, std::string_view value) { std::fprintf(f_, "%d\n%.*s\n", code, int(value.size()), value.data()); }
  void Pair(int code, double value) { std::fprintf(f_, "%d\n%.4f\n", code, value); }
  void Int(int code, long value) { std::fprintf(f_, "%d\n%ld\n", code, value); }
  void Handle() { std::fprintf(f_, "5\n%lX\n", next_++); }
  void Point(int code, double x, double y) {
    Pair(code, x);
    Pair(code + 10, y);
  }

private:
  std::FILE* f_;
  unsigned long next_ = 0x100;
};

std::string LayerName(int i) { return "Layer" + std::to_string(i); }

void Header(Out& o) {
  o.Pair(0, "SECTION");
  o.Pair(2, "HEADER");
  o.Pair(9, "$ACADVER");
  o.Pair(1, "AC1015");
  o.Pair(9, "$INSUNITS");
  o.Int(70, 5);
  o.Pair(0, "ENDSEC");
  o.Pair(0, "SECTION");
  o.Pair(2, "TABLES");
  o.Pair(0, "TABLE");
  o.Pair(2, "LAYER");
  o.Int(70, kLayers + 1);
  for (int i = 0; i <= kLayers; ++i) {
    o.Pair(0, "LAYER");
    o.Handle();
    o.Pair(100, "AcDbSymbolTableRecord");
    o.Pair(100, "AcDbLayerTableRecord");
    o.Pair(2, i == 0 ? std::string("0") : LayerName(i));
    o.Int(70, 0);
    o.Int(62, i == 0 ? 7 : 1 + (i % 7));
    o.Pair(6, "CONTINUOUS");
  }
  o.Pair(0, "ENDTAB");
  o.Pair(0, "ENDSEC");
}

void Common(Out& o, const char* type, const std::string& layer, const char* subclass) {
  o.Pair(0, type);
  o.Handle();
  o.Pair(100, "AcDbEntity");
  o.Pair(8, layer);
  o.Pair(100, subclass);
}

void Line(Out& o, const std::string& layer, double x1, double y1, double x2, double y2) {
  Common(o, "LINE", layer, "AcDbLine");
  o.Point(10, x1, y1);
  o.Point(11, x2, y2);
}

void Circle(Out& o, const std::string& layer, double x, double y, double r) {
  Common(o, "CIRCLE", layer, "AcDbCircle");
  o.Point(10, x, y);
  o.Pair(40, r);
}

void Arc(Out& o, const std::string& layer, double x, double y, double r, double a0, double a1) {
  Common(o, "ARC", layer, "AcDbCircle");
  o.Point(10, x, y);
  o.Pair(40, r);
  o.Pair(100, "AcDbArc");
  o.Pair(50, a0);
  o.Pair(51, a1);
}

void Polyline(Out& o, const std::string& layer, Random& r, double x, double y) {
  const int n = 4 + static_cast<int>(r.Next() * 5);
  Common(o, "LWPOLYLINE", layer, "AcDbPolyline");
  o.Int(90, n);
  o.Int(70, r.Next() < 0.3 ? 1 : 0);
  for (int i = 0; i < n; ++i) {
    o.Point(10, x + r.Next() * 120, y + r.Next() * 120);
    if (i % 2 == 1) o.Pair(42, r.Next() * 1.6 - 0.8);
  }
}

void Text(Out& o, const std::string& layer, Random& r, double x, double y) {
  Common(o, "TEXT", layer, "AcDbText");
  o.Point(10, x, y);
  o.Pair(40, 5 + r.Next() * 25);
  o.Pair(1, "Pilastro " + std::to_string(static_cast<int>(r.Next() * 1000)));
  if (r.Next() < 0.3) o.Pair(50, r.Next() * 90);
  o.Pair(100, "AcDbText");
}

void Insert(Out& o, const std::string& layer, Random& r, double x, double y) {
  Common(o, "INSERT", layer, "AcDbBlockReference");
  o.Pair(2, "SIMBOLO");
  o.Point(10, x, y);
  const double s = 0.5 + r.Next() * 2;
  o.Pair(41, s);
  o.Pair(42, s);
  o.Pair(50, r.Next() * 360);
}

void Blocks(Out& o) {
  o.Pair(0, "SECTION");
  o.Pair(2, "BLOCKS");
  o.Pair(0, "BLOCK");
  o.Handle();
  o.Pair(100, "AcDbEntity");
  o.Pair(8, "0");
  o.Pair(100, "AcDbBlockBegin");
  o.Pair(2, "SIMBOLO");
  o.Int(70, 0);
  o.Point(10, 0, 0);
  o.Pair(3, "SIMBOLO");
  o.Pair(1, "");
  // A column mark: a square with its diagonals, a circle and an arc.
  Line(o, "0", -10, -10, 10, -10);
  Line(o, "0", 10, -10, 10, 10);
  Line(o, "0", 10, 10, -10, 10);
  Line(o, "0", -10, 10, -10, -10);
  Circle(o, "0", 0, 0, 6);
  Arc(o, "0", 0, 0, 12, 30, 150);
  o.Pair(0, "ENDBLK");
  o.Handle();
  o.Pair(100, "AcDbEntity");
  o.Pair(8, "0");
  o.Pair(100, "AcDbBlockEnd");
  o.Pair(0, "ENDSEC");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::string_view(argv[1]) != "lines" && std::string_view(argv[1]) != "mixed")) {
    std::fprintf(stderr, "usage: bench_make_dxf lines|mixed COUNT OUT.dxf\n");
    return 2;
  }
  const bool mixed = std::string_view(argv[1]) == "mixed";
  const long count = std::strtol(argv[2], nullptr, 10);
  std::FILE* f = std::fopen(argv[3], "w");
  if (count <= 0 || f == nullptr) {
    std::fprintf(stderr, "bench_make_dxf: bad count or cannot write %s\n", argv[3]);
    return 1;
  }
  Out o(f);
  Random r;
  Header(o);
  Blocks(o);
  o.Pair(0, "SECTION");
  o.Pair(2, "ENTITIES");
  for (long i = 0; i < count; ++i) {
    const std::string layer = LayerName(1 + static_cast<int>((i / kRun) % kLayers));
    const double x = r.Next() * kWidth, y = r.Next() * kHeight;
    const double len = 5 + r.Next() * r.Next() * 200, angle = r.Next() * 6.283185307;
    switch (mixed ? i % 10 : 0) {
      case 4:
      case 5: Polyline(o, layer, r, x, y); break;
      case 6: Arc(o, layer, x, y, 2 + r.Next() * 60, r.Next() * 360, r.Next() * 360); break;
      case 7: Circle(o, layer, x, y, 2 + r.Next() * 40); break;
      case 8: Text(o, layer, r, x, y); break;
      case 9: Insert(o, layer, r, x, y); break;
      default: Line(o, layer, x, y, x + len * std::cos(angle), y + len * std::sin(angle)); break;
    }
  }
  o.Pair(0, "ENDSEC");
  o.Pair(0, "EOF");
  return std::fclose(f) == 0 ? 0 : 1;
}
