// The tessaro-dxf commands: read the file with the program's own reader, count, and paint
// its display list with the view's painter into an image or a PDF page.
#include "dxf_tool.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>

#include "base/problem_words.h"
#include "display/display_list.h"
#include "cad/drawing.h"
#include "cad/extents.h"
#include "dxf/file.h"
#include "render/qt_text_metrics.h"
#include "render/scene.h"

namespace tessaro::dxftool {
namespace {

constexpr int kDefaultWidth = 1600;
constexpr int kDefaultHeight = 1200;
constexpr int kMaxSide = 20000;  // pixels (PNG) or points (PDF) a side
constexpr long long kMaxPixels = 50'000'000;  // 200 MB of image at most
constexpr double kMargin = 0.03;  // of the picture, on each side

struct UsageError {
  std::string message;
};

struct RenderArgs {
  std::string input;
  std::string output;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  std::optional<Extents> window;  // the part of the model to draw, filling the picture
};

// "X0,Y0,X1,Y1": four finite numbers, the corners of a box of some width and height.
std::optional<Extents> ParseWindow(std::string_view text) {
  double v[4];
  for (int k = 0; k < 4; ++k) {
    const auto comma = k < 3 ? text.find(',') : std::string_view::npos;
    const std::string_view part = text.substr(0, comma);
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v[k]);
    if (ec != std::errc() || end != part.data() + part.size() || !std::isfinite(v[k])) return std::nullopt;
    if (k < 3 && comma == std::string_view::npos) return std::nullopt;
    text.remove_prefix(k < 3 ? comma + 1 : text.size());
  }
  const Extents box{{std::min(v[0], v[2]), std::min(v[1], v[3])}, {std::max(v[0], v[2]), std::max(v[1], v[3])}};
  if (!(box.max.x > box.min.x) || !(box.max.y > box.min.y)) return std::nullopt;
  return box;
}

std::filesystem::path ToPath(const std::string& s) {
  return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

std::optional<int> ParseSide(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxSide) return std::nullopt;
  return value;
}

RenderArgs ParseRender(const std::vector<std::string>& args) {
  RenderArgs r;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--size") {
      if (i + 1 >= args.size()) throw UsageError{"--size needs a value WxH"};
      const std::string& v = args[++i];
      const auto x = v.find_first_of("xX");
      const auto w = x == std::string::npos ? std::nullopt : ParseSide(std::string_view(v).substr(0, x));
      const auto h = x == std::string::npos ? std::nullopt : ParseSide(std::string_view(v).substr(x + 1));
      if (!w || !h) {
        throw UsageError{"--size \"" + v + "\": expected WxH, two whole numbers from 1 to " + std::to_string(kMaxSide)};
      }
      if (static_cast<long long>(*w) * *h > kMaxPixels) {
        throw UsageError{"--size \"" + v + "\": more than " + std::to_string(kMaxPixels / 1'000'000) +
                         " million pixels"};
      }
      r.width = *w;
      r.height = *h;
    } else if (args[i] == "--window") {
      if (i + 1 >= args.size()) throw UsageError{"--window needs a value X0,Y0,X1,Y1"};
      r.window = ParseWindow(args[++i]);
      if (!r.window) {
        throw UsageError{"--window \"" + args[i] + "\": expected X0,Y0,X1,Y1, the corners of a box in drawing units"};
      }
    } else if (args[i].starts_with("--")) {
      throw UsageError{"unknown option \"" + args[i] + "\""};
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) throw UsageError{"render needs a DXF file and an output file"};
  r.input = files[0];
  r.output = files[1];
  const QString suffix = QFileInfo(QString::fromStdString(r.output)).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("pdf")) {
    throw UsageError{"output \"" + r.output + "\": the name must end in .png or .pdf"};
  }
  return r;
}

std::string Number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", v);
  return buffer;
}

// The display list as the view makes it: MTEXT wrapped with the fonts the view draws with.
DisplayList ViewList(const Drawing& drawing) {
  const render::QtTextMetrics metrics;
  FlattenOptions options;
  options.metrics = &metrics;
  return FlattenDrawing(drawing, options);
}

// What the read and the flattening worked around, each with where it was, in the command
// line's words.
std::vector<std::string> Notes(const DxfReadReport& report, const DisplayList& list, const std::string& file) {
  std::vector<std::string> notes;
  for (const Problem& p : report.problems) notes.push_back(DescribeProblem(p));
  if (report.entitiesLeftOut > report.problems.size()) {
    notes.push_back(file + ": " + std::to_string(report.entitiesLeftOut) + " entities left out for bad data in all");
  }
  for (Problem p : ExpansionProblems(list)) {
    p.file = ToPath(file);
    notes.push_back(DescribeProblem(p));
  }
  return notes;
}

// What `info` says of a file, in words or as JSON: the file read and flattened as the view
// would, once.
struct FileInfo {
  Drawing drawing;
  DxfReadReport report;
  DisplayList list;
  std::size_t drawn = 0;
  std::optional<Extents> extents;
  std::vector<std::string> notes;

  explicit FileInfo(const std::string& file) {
    report = ReadDxfFile(drawing, ToPath(file));
    list = ViewList(drawing);
    for (const auto& [type, count] : report.drawnTypes) drawn += count;
    extents = DrawnExtents(drawing);
    notes = Notes(report, list, file);
  }
};

int Info(const std::string& file, std::ostream& out) {
  const FileInfo info(file);
  const auto& [drawing, report, list, drawn, extents, notes] = info;

  out << "file: " << file << '\n';
  out << "format: " << (report.binary ? "binary" : "ASCII") << " DXF";
  if (!report.Release().empty()) out << ' ' << report.Release();
  if (!report.version.empty()) out << " (" << report.version << ')';
  out << '\n';
  out << "entities read: " << drawn + report.SkippedCount() << '\n';
  out << "entities drawn: " << drawn << '\n';
  for (const auto& [type, count] : report.drawnTypes) out << "  " << type << ' ' << count << '\n';
  out << "entities skipped: " << report.SkippedCount() << '\n';
  for (const auto& [type, count] : report.skippedTypes) out << "  " << type << ' ' << count << '\n';
  out << "paper-space entities left out: " << report.paperSpaceSkipped << '\n';
  out << "blocks: " << report.blocks << " (" << report.blockEntities << " entities)\n";
  if (report.insertCycles > 0) out << "blocks inserting themselves, not drawn: " << report.insertCycles << '\n';
  out << "layers: " << drawing.Layers().size() << '\n';
  out << "shapes: " << list.Shapes().size() << (list.Truncated() ? " (cut short at the limit)" : "") << '\n';
  if (const auto& box = extents) {
    out << "extents: " << Number(box->min.x) << ',' << Number(box->min.y) << " - " << Number(box->max.x) << ','
        << Number(box->max.y) << '\n';
  } else {
    out << "extents: none (empty drawing)\n";
  }
  for (const std::string& note : notes) out << "note: " << note << '\n';
  return kExitOk;
}

// A JSON string literal of UTF-8 text.
std::string Json(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + '"';
}

std::string JsonCounts(const std::map<std::string, std::size_t>& counts) {
  std::string out = "{";
  for (const auto& [type, count] : counts) {
    if (out.size() > 1) out += ", ";
    out += Json(type) + ": " + std::to_string(count);
  }
  return out + "}";
}

int InfoJson(const std::string& file, std::ostream& out) {
  const FileInfo info(file);
  const auto& [drawing, report, list, drawn, extents, notes] = info;
  std::map<std::string, std::size_t> read = report.drawnTypes;
  for (const auto& [type, count] : report.skippedTypes) read[type] += count;
  out << "{\n  \"file\": " << Json(file) << ",\n  \"format\": " << Json(report.binary ? "binary" : "ASCII")
      << ",\n  \"version\": " << Json(report.version) << ",\n  \"release\": " << Json(report.Release())
      << ",\n  \"read\": " << drawn + report.SkippedCount() << ",\n  \"readTypes\": " << JsonCounts(read)
      << ",\n  \"drawn\": " << drawn
      << ",\n  \"drawnTypes\": " << JsonCounts(report.drawnTypes) << ",\n  \"skipped\": " << report.SkippedCount()
      << ",\n  \"skippedTypes\": " << JsonCounts(report.skippedTypes)
      << ",\n  \"paperSpaceSkipped\": " << report.paperSpaceSkipped << ",\n  \"blocks\": " << report.blocks
      << ",\n  \"blockEntities\": " << report.blockEntities << ",\n  \"layers\": " << drawing.Layers().size()
      << ",\n  \"shapes\": " << list.Shapes().size() << ",\n  \"truncated\": " << (list.Truncated() ? "true" : "false")
      << ",\n  \"extents\": ";
  if (const auto& box = extents) {
    out << '[' << Number(box->min.x) << ", " << Number(box->min.y) << ", " << Number(box->max.x) << ", "
        << Number(box->max.y) << ']';
  } else {
    out << "null";
  }
  out << ",\n  \"warnings\": [";
  for (std::size_t i = 0; i < notes.size(); ++i) out << (i ? ", " : "") << Json(notes[i]);
  out << "]\n}\n";
  return kExitOk;
}

// Drawing units to the picture: the whole drawing centred with a margin, y up.
QTransform FitTransform(const std::optional<Extents>& box, QSizeF picture, double margin = kMargin) {
  if (!box) return QTransform();
  const double w = std::max(box->max.x - box->min.x, 0.0);
  const double h = std::max(box->max.y - box->min.y, 0.0);
  const double usableW = picture.width() * (1 - 2 * margin);
  const double usableH = picture.height() * (1 - 2 * margin);
  double scale = 1.0;
  if (w > 0 && h > 0) scale = std::min(usableW / w, usableH / h);
  else if (w > 0) scale = usableW / w;
  else if (h > 0) scale = usableH / h;
  QTransform t;
  t.translate(picture.width() / 2, picture.height() / 2);
  t.scale(scale, -scale);
  t.translate(-(box->min.x + box->max.x) / 2, -(box->min.y + box->max.y) / 2);
  return t;
}

int Render(const RenderArgs& args, std::ostream& err) {
  Drawing drawing;
  ReadDxfFile(drawing, ToPath(args.input));
  const render::Scene scene(ViewList(drawing));
  const QSize size(args.width, args.height);
  // A window fills the picture (centred, the same scale both ways); the extents keep a margin.
  const QTransform toPicture = args.window ? FitTransform(args.window, QSizeF(size), 0.0)
                                           : FitTransform(DrawnExtents(drawing), QSizeF(size));
  const QString outName = QString::fromStdString(args.output);
  // Written beside the target and renamed over it: a failure leaves an earlier file intact.
  QSaveFile file(outName);
  if (!file.open(QIODevice::WriteOnly)) {
    err << "tessaro-dxf: " << args.output << ": cannot write: " << file.errorString().toStdString() << '\n';
    return kExitFailure;
  }
  bool painted = true;
  if (QFileInfo(outName).suffix().toLower() == QLatin1String("png")) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
      err << "tessaro-dxf: not enough memory for a " << args.width << "x" << args.height << " image\n";
      return kExitFailure;
    }
    scene.Render(image, drawing.Layers(), toPicture, image.rect());
    painted = image.save(&file, "PNG");
  } else {
    QPdfWriter pdf(&file);
    pdf.setResolution(72);  // one point a unit: the page is W x H points
    pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setCreator(QStringLiteral("tessaro-dxf"));
    QPainter painter;
    painted = painter.begin(&pdf);
    if (painted) {
      painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), Qt::white);
      scene.Paint(painter, drawing.Layers(), toPicture);
      painted = painter.end();
    }
  }
  if (!painted || !file.commit()) {
    err << "tessaro-dxf: " << args.output << ": cannot write: " << file.errorString().toStdString() << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

std::string UsageText() {
  return "Usage:\n"
         "  tessaro-dxf info FILE.dxf\n"
         "      entities read, drawn and skipped by type, and the drawing's extents\n"
         "  tessaro-dxf info --json FILE.dxf\n"
         "      the same as one JSON object (read, drawn and skipped by type, extents, version, warnings)\n"
         "  tessaro-dxf render FILE.dxf OUT.png|OUT.pdf [--size WxH] [--window X0,Y0,X1,Y1]\n"
         "      model space at full extents (or the window's part of it) on white, " +
         std::to_string(kDefaultWidth) + "x" + std::to_string(kDefaultHeight) +
         " pixels (PNG) or points (PDF) unless --size says otherwise\n";
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError{"no command given"};
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
      out << UsageText();
      return kExitOk;
    }
    if (args[0] == "info") {
      if (args.size() == 3 && args[1] == "--json") return InfoJson(args[2], out);
      if (args.size() != 2 || args[1].starts_with("--")) throw UsageError{"info needs exactly one DXF file"};
      return Info(args[1], out);
    }
    if (args[0] == "render") return Render(ParseRender(args), err);
    throw UsageError{"unknown command \"" + args[0] + "\""};
  } catch (const UsageError& e) {
    err << "tessaro-dxf: " << e.message << "\n\n" << UsageText();
    return kExitUsage;
  } catch (const std::exception& e) {
    err << "tessaro-dxf: " << e.what() << '\n';
    return kExitFailure;
  }
}

}  // namespace tessaro::dxftool
