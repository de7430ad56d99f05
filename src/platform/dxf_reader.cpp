// Reads DXF text into a drawing: our own pass checks the group structure and counts the
// entity types the drawing cannot hold, then dxflib parses the rest.
#include "platform/dxf_reader.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <array>
#include <charconv>
#include <clocale>
#include <locale>
#include <mutex>
#include <sstream>
#include <string_view>
#include <unordered_map>

#include "platform/dxf_text.h"
#include "platform/errors.h"

namespace tessaro {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBinaryDxfSentinel = "AutoCAD Binary DXF";

// Entity types the drawing holds, and the parts of other entities that are not counted
// on their own (the vertices of a polyline, the attributes of an insert).
constexpr std::array<std::string_view, 4> kHeldTypes = {"LINE", "CIRCLE", "ARC", "TEXT"};
constexpr std::array<std::string_view, 3> kSubEntityTypes = {"VERTEX", "SEQEND", "ATTRIB"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
  for (const auto candidate : names) {
    if (candidate == name) return true;
  }
  return false;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits the text into lines (LF or CR LF), one at a time.
class LineCursor {
public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (position_ >= text_.size()) return false;
    const std::size_t end = std::min(text_.find('\n', position_), text_.size());
    line = text_.substr(position_, end - position_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    position_ = end + 1;
    ++number_;
    return true;
  }
  std::size_t number() const { return number_; }

private:
  std::string_view text_;
  std::size_t position_ = 0;
  std::size_t number_ = 0;
};

[[noreturn]] void RaiseBadFormat(const std::string& source, const std::string& what) {
  Raise(ErrorKind::BadFormat, "The file " + source + " is not a readable DXF file: " + what);
}

// Walks every group of the file: each group code must be a number, the file must end
// with 0/EOF, and the entity types of the ENTITIES section that the drawing cannot hold
// are counted.
std::map<std::string, std::size_t> CheckStructure(std::string_view text, const std::string& source) {
  if (text.substr(0, kBinaryDxfSentinel.size()) == kBinaryDxfSentinel) {
    RaiseBadFormat(source, "binary DXF is not supported, save it as ASCII DXF");
  }
  std::map<std::string, std::size_t> skipped;
  LineCursor lines(text);
  std::string_view codeLine;
  std::string_view value;
  bool expectSectionName = false;
  bool inEntities = false;
  while (lines.Next(codeLine)) {
    const std::string_view code = TrimBlanks(codeLine);
    int groupCode = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), groupCode);
    if (error != std::errc() || end != code.data() + code.size()) {
      RaiseBadFormat(source, "line " + std::to_string(lines.number()) + " should hold a group code, not '" +
                                 std::string(code.substr(0, 40)) + "'");
    }
    if (!lines.Next(value)) break;
    value = TrimBlanks(value);
    if (groupCode == 2 && expectSectionName) inEntities = value == "ENTITIES";
    expectSectionName = groupCode == 0 && value == "SECTION";
    if (groupCode != 0) continue;
    if (value == "EOF") return skipped;
    if (value == "ENDSEC") inEntities = false;
    if (inEntities && value != "ENDSEC" && !Contains(kHeldTypes, value) && !Contains(kSubEntityTypes, value)) {
      ++skipped[std::string(value)];
    }
  }
  RaiseBadFormat(source, "it is cut short (no EOF at the end)");
}

// Takes the entities of the ENTITIES section and the layers from dxflib's callbacks.
class DrawingBuilder final : public DL_CreationAdapter {
public:
  explicit DrawingBuilder(Drawing& drawing) : drawing_(drawing) {}

  std::size_t entitiesRead() const { return entitiesRead_; }

  void setVariableString(const std::string& key, const std::string& value, int) override {
    if (key == "$ACADVER") acadVersion_ = value;
    if (key == "$DWGCODEPAGE") codePage_ = value;
    encoding_ = DxfEncodingOf(acadVersion_, codePage_);
  }

  void addLayer(const DL_LayerData& data) override {
    const LayerIndex layer = LayerOf(data.name);
    // A negative colour switches a layer off; a frozen one (flag 1) is not shown either.
    const bool off = data.off || getAttributes().getColor() < 0 || (data.flags & 1) != 0;
    drawing_.SetLayerOn(layer, !off);
  }

  // Entities of block definitions are not part of the drawing.
  void addBlock(const DL_BlockData&) override { inBlock_ = true; }
  void endBlock() override { inBlock_ = false; }

  void addLine(const DL_LineData& d) override {
    if (inBlock_) return;
    drawing_.AddLineOn(EntityLayer(), LineGeometry{{d.x1, d.y1}, {d.x2, d.y2}}, EntityColor());
    ++entitiesRead_;
  }
  void addCircle(const DL_CircleData& d) override {
    if (inBlock_) return;
    drawing_.AddCircleOn(EntityLayer(), CircleGeometry{{d.cx, d.cy}, d.radius}, EntityColor());
    ++entitiesRead_;
  }
  void addArc(const DL_ArcData& d) override {
    if (inBlock_) return;
    drawing_.AddArcOn(EntityLayer(), ArcGeometry{{d.cx, d.cy}, d.radius, d.angle1, d.angle2}, EntityColor());
    ++entitiesRead_;
  }
  void addText(const DL_TextData& d) override {
    if (inBlock_) return;
    TextGeometry text{{d.ipx, d.ipy}, d.height, DecodeDxfText(d.text, encoding_), DecodeDxfText(d.style, encoding_)};
    drawing_.AddTextOn(EntityLayer(), std::move(text), EntityColor());
    ++entitiesRead_;
  }

private:
  // BYLAYER (256) and BYBLOCK (0) are kept as they are.
  int EntityColor() { return getAttributes().getColor(); }
  LayerIndex EntityLayer() { return LayerOf(getAttributes().getLayer()); }

  LayerIndex LayerOf(const std::string& rawName) {
    if (const auto found = layers_.find(rawName); found != layers_.end()) return found->second;
    const LayerIndex layer = drawing_.AddLayer(DecodeDxfText(rawName, encoding_));
    layers_.emplace(rawName, layer);
    return layer;
  }

  Drawing& drawing_;
  std::string acadVersion_;
  std::string codePage_;
  DxfTextEncoding encoding_ = DxfTextEncoding::Cp1252;
  bool inBlock_ = false;
  std::size_t entitiesRead_ = 0;
  std::unordered_map<std::string, LayerIndex> layers_;  // by the name's bytes in the file
};

// dxflib reads numbers with the global C++ locale (and its file reader switches the
// process locale to "C" and leaves it so): read in the classic locale, then put back both
// the C++ global locale and the C locale as they were.
class ClassicLocaleScope {
public:
  ClassicLocaleScope() : savedGlobal_(std::locale()) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    savedC_ = current != nullptr ? current : "C";
    std::locale::global(std::locale::classic());
  }
  ~ClassicLocaleScope() {
    std::locale::global(savedGlobal_);
    std::setlocale(LC_ALL, savedC_.c_str());
  }
  ClassicLocaleScope(const ClassicLocaleScope&) = delete;
  ClassicLocaleScope& operator=(const ClassicLocaleScope&) = delete;

private:
  std::locale savedGlobal_;
  std::string savedC_;
};

// dxflib's reader keeps static state and we switch the process locale around it, so only
// one read may run at a time in the whole process: this lock belongs to that library.
std::mutex& DxflibReadMutex() {
  static std::mutex mutex;
  return mutex;
}

// Cuts every line longer than dxflib can take, so that a file with one (a long MTEXT line,
// say) still reads; such a line holds a text value, which loses its end.
void CutLongLines(std::string& text) {
  std::string cut;
  cut.reserve(text.size());
  std::size_t lineStart = 0;
  while (lineStart < text.size()) {
    const std::size_t newline = text.find('\n', lineStart);
    const std::size_t lineEnd = newline == std::string::npos ? text.size() : newline;
    cut.append(text, lineStart, std::min(lineEnd - lineStart, kLongestDxfLine));
    if (newline != std::string::npos) cut += '\n';
    lineStart = lineEnd + 1;
  }
  text.swap(cut);
}

bool HasLongLine(std::string_view text) {
  std::size_t lineStart = 0;
  while (lineStart < text.size()) {
    const std::size_t newline = std::min(text.find('\n', lineStart), text.size());
    if (newline - lineStart > kLongestDxfLine) return true;
    lineStart = newline + 1;
  }
  return false;
}

}  // namespace

DxfReadReport ReadDxfText(std::string text, Drawing& drawing, const std::string& source) {
  if (std::string_view(text).substr(0, kUtf8Bom.size()) == kUtf8Bom) text.erase(0, kUtf8Bom.size());
  DxfReadReport report;
  report.skippedTypes = CheckStructure(text, source);
  if (HasLongLine(text)) CutLongLines(text);

  DrawingBuilder builder(drawing);
  {
    const std::lock_guard<std::mutex> lock(DxflibReadMutex());
    const ClassicLocaleScope classicLocale;
    std::istringstream stream(std::move(text));
    try {
      DL_Dxf dxf;
      if (!dxf.in(stream, &builder)) RaiseBadFormat(source, "it cannot be read");
    } catch (const RuntimeError&) {
      throw;
    } catch (const std::exception& e) {
      RaiseBadFormat(source, e.what());
    }
  }
  report.entitiesRead = builder.entitiesRead();
  return report;
}

}  // namespace tessaro
