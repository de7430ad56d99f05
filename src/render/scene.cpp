// The frame painter: shapes mapped to device pixels and drawn untransformed. Into a 32-bit
// image, strokes and dots are written straight into its pixels (render/pixel_lines.h);
// on other devices (PDF, printer) strokes of one colour are gathered and drawn together
// (their pixels do not depend on order), a colour change flushing them so that the draw
// order between colours holds. Texts and fills go through the painter.
#include "render/scene.h"

#include <QFontMetricsF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <thread>

#include "render/aci_colors.h"
#include "render/pixel_lines.h"

namespace tessaro::render {
namespace {

constexpr int kFontPixelSize = 100;  // text metrics are taken at this size and scaled
// Under this many pixels a frame is painted on one thread: starting one costs more.
constexpr qint64 kThreadedPixels = 200'000;
constexpr std::size_t kThreadedShapes = 20'000;
constexpr double kArcTolerancePixels = 0.25;
constexpr double kCachedGlyphPixels = 60;  // Qt keeps glyphs under 64 pixels as images
constexpr std::size_t kMaxTextPaths = 20'000;
constexpr double kMaxArcPieces = 4096;  // a quarter pixel still up to a radius of a million
// Rays and xlines are drawn this far past their base (device pixels): further than any view
// reaches, short enough for the pixel writer's arithmetic. A base further than a quarter of
// it from the view is moved along the line by whole quarters, toward the view.
constexpr double kRayPixels = 67'108'864.0;  // 2^26
constexpr double kRayStepPixels = kRayPixels / 4;

// Whole pixels of a device offset; offsets no 64-bit number holds stay in the fraction.
double WholePart(double v) { return std::abs(v) < 1e15 ? std::floor(v) : 0.0; }

double PixelsPerUnit(const QTransform& t) { return std::sqrt(std::abs(t.determinant())); }

bool LayerOn(std::span<const Layer> layers, LayerIndex layer) { return layer >= layers.size() || layers[layer].on; }

bool Meets(const Extents& a, const Extents& b) {
  return a.min.x <= b.max.x && a.max.x >= b.min.x && a.min.y <= b.max.y && a.max.y >= b.min.y;
}

Extents ToExtents(const QRectF& r) { return Extents{{r.left(), r.top()}, {r.right(), r.bottom()}}; }

QString ToQString(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }


// Paints shapes one at a time onto a painter whose transform it leaves alone between texts.
class ShapePainter {
public:
  // With `pixels`, strokes and dots go straight into its memory; texts and fills still
  // through the painter, which must paint on the same image.
  ShapePainter(QPainter& painter, const DisplayList& list, const std::vector<QString>* texts,
               std::span<const TextFont> fonts, const QTransform& toDevice, QImage* pixels = nullptr,
               TextPaths* paths = nullptr, const PenWidths* penWidths = nullptr)
      : painter_(painter), list_(list), texts_(texts), paths_(paths), fonts_(fonts), penWidths_(penWidths),
        origin_(QTransform::fromTranslate(WholePart(toDevice.dx()), WholePart(toDevice.dy()))),
        toDevice_(toDevice.m11(), toDevice.m12(), toDevice.m21(), toDevice.m22(), toDevice.dx() - origin_.dx(),
                  toDevice.dy() - origin_.dy()),
        pixelsPerUnit_(PixelsPerUnit(toDevice)), flipped_(toDevice.determinant() < 0),
        turn_(std::atan2(-toDevice.m12(), toDevice.m11()) * 180.0 / std::numbers::pi) {
    for (std::size_t i = 0; i < aci_.size(); ++i) aci_[i] = AciColor(static_cast<int>(i)).rgb();
    if (pixels != nullptr && PixelTarget::Supports(*pixels)) {
      pixels_.emplace(*pixels);
      pixels_->SetOrigin(static_cast<std::int64_t>(origin_.dx()), static_cast<std::int64_t>(origin_.dy()));
    }
    // What the device shows, in the coordinates shapes are mapped to (before the origin).
    const QPaintDevice* device = pixels != nullptr ? pixels : painter.device();
    if (device != nullptr) {
      clip_ = QRectF(-2, -2, device->width() + 4, device->height() + 4).translated(-origin_.dx(), -origin_.dy());
    }
    painter_.save();
    painter_.setTransform(origin_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBrush(Qt::NoBrush);
    sizedFont_ = fonts_[0].Font();
    sizedCap_ = fonts_[0].CapHeight();
    sizedDescent_ = fonts_[0].Descent();
    painter_.setFont(sizedFont_);
  }
  ~ShapePainter() {
    Flush();
    painter_.restore();
  }
  ShapePainter(const ShapePainter&) = delete;
  ShapePainter& operator=(const ShapePainter&) = delete;

  void Draw(const Shape& s);
  // Texts drawn as boxes below this cap height in pixels (kTextBoxPixels unless crowded).
  // Colours as they read on the background (the ACI table and true colours alike).
  void UseBackground(std::optional<Background> background) {
    background_ = background;
    if (!background) return;
    for (std::size_t i = 0; i < aci_.size(); ++i) aci_[i] = ScreenRgb(AciColor(static_cast<int>(i)).rgb(), *background);
  }
  void SetTextBoxPixels(double pixels) { textBoxPixels_ = pixels; }

private:
  // Affine, written out: a frame maps millions of points.
  QPointF Map(const Point2d& p) const {
    return {toDevice_.m11() * p.x + toDevice_.m21() * p.y + toDevice_.dx(),
            toDevice_.m12() * p.x + toDevice_.m22() * p.y + toDevice_.dy()};
  }
  void UseColor(QRgb rgb, double width);
  void Flush();
  void DrawArc(const ArcShape& arc);
  void DrawText(const Shape& s, Detail detail);
  const TextFont& FontOf(const TextShape& t) const { return fonts_[t.face < fonts_.size() ? t.face : 0]; }
  bool UprightOnDevice(const TextShape& t) const;
  void DrawPlainText(const TextShape& t, const QString& value);
  void DrawPoints(std::span<const Point2d> points, bool closed, bool fill);
  void DrawRay(const Shape& s);
  void Stroke(QPointF a, QPointF b) {
    if (pixels_) pixels_->Line(a, b);
    else lines_.emplace_back(a, b);
  }
  void Dot(QPointF at) {
    if (pixels_) pixels_->Dot(at);
    else dots_.push_back(at);
  }
  // The run of device points in scratch_, joined.
  void StrokeScratch(bool closed);

  QPainter& painter_;
  const DisplayList& list_;
  const std::vector<QString>* texts_;
  TextPaths* paths_;
  std::span<const TextFont> fonts_;  // by face, the first the default
  const PenWidths* penWidths_;
  double width_ = 0;
  // The device transform split in two: whole pixels (origin_) after the rest (toDevice_),
  // so shapes are mapped and rounded the same wherever the frame's origin lies.
  QTransform origin_;
  QTransform toDevice_;
  double pixelsPerUnit_;
  bool flipped_;  // the device's y runs against the drawing's, as on screens and paper
  double turn_;   // the device angle of the drawing's x axis, degrees as seen
  QRgb color_ = 0;
  bool haveColor_ = false;
  std::vector<QLineF> lines_;
  std::vector<QPointF> dots_;
  std::vector<QPointF> scratch_;
  std::optional<PixelTarget> pixels_;
  QRectF clip_;  // the device, as Map gives its points
  std::array<QRgb, 257> aci_;  // the ACI palette, looked up once a frame
  std::optional<Background> background_;  // set: colours made readable on it
  QFont sizedFont_;             // the text font at the size of the last text drawn
  std::uint16_t sizedFace_ = 0;  // and its face
  double textBoxPixels_ = kTextBoxPixels;
  double sizedCap_ = 0;         // its cap height and descent, pixels
  double sizedDescent_ = 0;
};

void ShapePainter::StrokeScratch(bool closed) {
  const int n = static_cast<int>(scratch_.size());
  if (n == 0) return;
  if (n == 1) {
    Dot(scratch_.front());
    return;
  }
  if (!pixels_) {
    if (closed) painter_.drawPolygon(scratch_.data(), n);
    else painter_.drawPolyline(scratch_.data(), n);
    return;
  }
  pixels_->Polyline(scratch_.data(), n, closed);
}

void ShapePainter::UseColor(QRgb rgb, double width) {
  if (haveColor_ && rgb == color_ && width == width_) return;
  Flush();
  haveColor_ = true;
  color_ = rgb;
  width_ = width;
  if (pixels_) pixels_->SetColor(rgb);
  QPen pen{QColor(rgb)};
  pen.setWidthF(width);  // 0: cosmetic, one pixel at every zoom
  if (width > 0) pen.setCapStyle(Qt::RoundCap);
  painter_.setPen(pen);
}

void ShapePainter::Flush() {
  if (!lines_.empty()) painter_.drawLines(lines_.data(), static_cast<int>(lines_.size()));
  if (!dots_.empty()) painter_.drawPoints(dots_.data(), static_cast<int>(dots_.size()));
  lines_.clear();
  dots_.clear();
}

void ShapePainter::Draw(const Shape& s) {
  const double cap = s.kind == ShapeKind::Text ? list_.Text(s).height : 0.0;
  const Detail detail = ShapeDetail(s, cap, pixelsPerUnit_, textBoxPixels_);
  UseColor(s.color.aci > 0 && s.color.aci < 257 ? aci_[static_cast<std::size_t>(s.color.aci)]
           : s.color == kPaperColor             ? BackgroundRgb(background_.value_or(Background::White))
           : background_                        ? ScreenRgb(ShapeRgb(s.color), *background_)
                                                : ShapeRgb(s.color),
           penWidths_ != nullptr && s.color != kPaperColor ? (*penWidths_)(s.color) : 0.0);
  if (detail == Detail::Dot) {
    Dot(Map(Point2d{(s.box.min.x + s.box.max.x) / 2, (s.box.min.y + s.box.max.y) / 2}));
    return;
  }
  switch (s.kind) {
    case ShapeKind::Segment: {
      const auto p = list_.PointsOf(s);
      Stroke(Map(p[0]), Map(p[1]));
      break;
    }
    case ShapeKind::Dot: Dot(Map(list_.PointsOf(s)[0])); break;
    case ShapeKind::Polyline: DrawPoints(list_.PointsOf(s), s.closed, false); break;
    case ShapeKind::Fill: DrawPoints(list_.PointsOf(s), true, true); break;
    case ShapeKind::Arc: DrawArc(list_.Arc(s)); break;
    case ShapeKind::Text: DrawText(s, detail); break;
    case ShapeKind::Ray: DrawRay(s); break;
  }
}

void ShapePainter::DrawPoints(std::span<const Point2d> points, bool closed, bool fill) {
  scratch_.clear();
  for (const Point2d& p : points) scratch_.push_back(Map(p));
  if (fill && scratch_.size() > 2) {
    // The inside by the painter, the outline like every other stroke; strokes gathered so
    // far go first, so that a fill (a wipeout) covers what came before it.
    Flush();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QColor(color_));
    painter_.drawPolygon(scratch_.data(), static_cast<int>(scratch_.size()));
    painter_.setBrush(Qt::NoBrush);
    QPen pen{QColor(color_)};
    pen.setWidthF(width_);
    painter_.setPen(pen);
  }
  StrokeScratch(closed);
}

// A ray or an xline, to the edges of the device and past them. The ends depend on the scale
// and on where the base lies, not on the part of the frame being painted, so strips and
// bands of one view draw the same pixels.
void ShapePainter::DrawRay(const Shape& s) {
  const auto p = list_.PointsOf(s);
  const QPointF base = Map(p[0]);
  QPointF along(toDevice_.m11() * p[1].x + toDevice_.m21() * p[1].y, toDevice_.m12() * p[1].x + toDevice_.m22() * p[1].y);
  const double length = std::hypot(along.x(), along.y());
  if (!(length > 0) || !std::isfinite(length) || !std::isfinite(base.x() + base.y())) return;
  along /= length;
  // A base far from the device moves toward it in whole steps: an xline to the foot of the
  // perpendicular from the device's middle, a ray only forward and no closer than a step.
  const QPointF middle = clip_.center();
  const double foot = (middle.x() - base.x()) * along.x() + (middle.y() - base.y()) * along.y();
  double steps = std::round(foot / kRayStepPixels);
  if (!s.closed) steps = std::max(0.0, std::floor(foot / kRayStepPixels) - 1);
  const QPointF from = base + along * (steps * kRayStepPixels);
  QPointF a = s.closed ? from - along * kRayPixels : from;
  QPointF b = from + along * kRayPixels;
  if (pixels_) {
    pixels_->Line(a, b);
  } else if (CutSegmentTo(a, b, clip_)) {
    lines_.emplace_back(a, b);
  }
}

// Arcs and circles as runs of short lines, no more than a quarter pixel off the curve. Unlike
// Qt's own curves this gives the same pixels wherever the view puts the arc, so a frame
// moved by a pan matches one painted afresh.
void ShapePainter::DrawArc(const ArcShape& arc) {
  const double r = arc.radius * pixelsPerUnit_;
  const QPointF c = Map(arc.center);
  double span = arc.endAngle - arc.startAngle;
  const bool whole = span >= 360.0 || span <= -360.0;
  if (whole) {
    span = 360.0;
  } else {
    span = std::fmod(span, 360.0);
    if (span <= 0) span += 360.0;
  }
  // Device angles run counter-clockwise as seen: the drawing's sense when the device flips
  // y, its mirror image otherwise.
  const double degree = std::numbers::pi / 180.0;
  const double start = (flipped_ ? turn_ + arc.startAngle : turn_ - arc.startAngle) * degree;
  const double sweep = (flipped_ ? span : -span) * degree;
  const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - kArcTolerancePixels / std::max(r, 1e-9)));
  const double wanted = std::ceil(std::abs(sweep) / std::max(step, 1e-9));
  const int pieces = static_cast<int>(std::clamp(wanted, 4.0, kMaxArcPieces));
  scratch_.clear();
  for (int i = 0; i <= pieces; ++i) {
    const double a = start + sweep * i / pieces;
    scratch_.emplace_back(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
  }
  if (whole) scratch_.back() = scratch_.front();
  StrokeScratch(false);
}

// A text that is neither stretched nor slanted, on a device that only scales (and flips y):
// the common case, drawn at a whole-pixel font size with no scale left over, so every
// text of a size shares one set of cached glyphs (a scale or slant of its own would give
// each text a glyph set of its own, pushing the others out of Qt's cache).
bool ShapePainter::UprightOnDevice(const TextShape& t) const {
  return t.widthFactor == 1.0 && t.oblique == 0.0 && t.fitWidth <= 0 && !t.backward && !t.upsideDown &&
         toDevice_.m12() == 0 &&
         toDevice_.m21() == 0 && std::abs(toDevice_.m11()) == std::abs(toDevice_.m22()) && flipped_;
}

// Placed by the metrics of sizedFont_, the font at the text's height on the device rounded
// to a whole pixel.
void ShapePainter::DrawPlainText(const TextShape& t, const QString& value) {
  double dx = 0;
  if (t.hAlign != TextHAlign::Left) {
    const double advance = QFontMetricsF(sizedFont_).horizontalAdvance(value);
    dx = t.hAlign == TextHAlign::Center ? -advance / 2 : -advance;
  }
  double dy = 0;
  switch (t.vAlign) {
    case TextVAlign::Baseline: break;
    case TextVAlign::Bottom: dy = -sizedDescent_; break;
    case TextVAlign::Middle: dy = sizedCap_ / 2; break;
    case TextVAlign::Top: dy = sizedCap_; break;
  }
  // The point goes to its whole pixel before the frame's origin is added: the sums stay
  // exact, so the text lands on the same pixels wherever the frame lies.
  const QPointF at = Map(t.position);
  QTransform place = QTransform::fromTranslate(std::round(at.x()), std::round(at.y()));
  const double turn = turn_ + t.rotation;  // degrees as seen, counter-clockwise
  if (turn != 0) place = QTransform().rotate(-turn) * place;
  painter_.setTransform(place * origin_);
  painter_.drawText(QPointF(dx, dy), value);
  painter_.setTransform(origin_);
}

void ShapePainter::DrawText(const Shape& s, Detail detail) {
  const TextShape& t = list_.Text(s);
  const QString value = texts_ != nullptr ? (*texts_)[s.index] : ToQString(t.value);
  if (value.isEmpty()) return;
  const TextFont& font = FontOf(t);
  if (detail == Detail::Full) {
    const bool needsAdvance = t.hAlign != TextHAlign::Left || t.fitWidth > 0;
    const double advance = needsAdvance ? QFontMetricsF(font.Font()).horizontalAdvance(value) : 0.0;
    const QTransform place = TextToDrawing(t, advance, font) * toDevice_;
    // Drawn with the font at about its size on the device and what is left of the scale:
    // glyphs under 64 pixels then come from Qt's glyph cache instead of being filled as
    // outlines one by one.
    const double onDevice = font.Font().pixelSize() * std::hypot(place.m21(), place.m22());
    if (onDevice > kCachedGlyphPixels && paths_ != nullptr) {
      painter_.setTransform(place * origin_);
      painter_.fillPath(paths_->Get(s.index, value, font.Font()), QColor(color_));
      painter_.setTransform(origin_);
      return;
    }
    const int size = static_cast<int>(std::clamp(std::round(onDevice), 1.0, static_cast<double>(kFontPixelSize)));
    if (size != sizedFont_.pixelSize() || t.face != sizedFace_) {
      if (t.face != sizedFace_) sizedFont_ = font.Font();
      sizedFace_ = t.face;
      sizedFont_.setPixelSize(size);
      painter_.setFont(sizedFont_);
      const QFontMetricsF metrics(sizedFont_);
      sizedCap_ = metrics.capHeight() > 0 ? metrics.capHeight() : size * 0.7;
      sizedDescent_ = metrics.descent();
    }
    // Upright texts go to whole pixels at the font's own size; one larger than the font's
    // size (a sheet at printer resolution) is scaled from it like a turned one.
    if (UprightOnDevice(t) && onDevice <= kFontPixelSize) {
      DrawPlainText(t, value);
    } else {
      const double back = static_cast<double>(font.Font().pixelSize()) / size;
      painter_.setTransform(QTransform::fromScale(back, back) * place * origin_);
      painter_.drawText(QPointF(0, 0), value);
      painter_.setTransform(origin_);
    }
    return;
  }
  // Greeked: the box an average text of this length would fill.
  const double advance = font.AverageCharWidth() * value.size();
  const QTransform place = TextToDrawing(t, advance, font) * toDevice_;
  if (detail == Detail::TextLine) {
    Stroke(place.map(QPointF(0, 0)), place.map(QPointF(advance, 0)));
    return;
  }
  scratch_ = {place.map(QPointF(0, 0)), place.map(QPointF(advance, 0)), place.map(QPointF(advance, -font.CapHeight())),
              place.map(QPointF(0, -font.CapHeight()))};
  StrokeScratch(true);
}

}  // namespace

Detail ShapeDetail(const Shape& shape, double capHeight, double pixelsPerUnit, double textBoxPixels) {
  const double w = (shape.box.max.x - shape.box.min.x) * pixelsPerUnit;
  const double h = (shape.box.max.y - shape.box.min.y) * pixelsPerUnit;
  if (w < kDotPixels && h < kDotPixels) return Detail::Dot;
  if (shape.kind != ShapeKind::Text) return Detail::Full;
  const double cap = capHeight * pixelsPerUnit;
  if (cap < kTextLinePixels) return Detail::TextLine;
  if (cap < textBoxPixels) return Detail::TextBox;
  return Detail::Full;
}

QRgb ShapeRgb(ShapeColor color) {
  if (color == kPaperColor) return BackgroundRgb(Background::White);
  if (color.aci == 0) return qRgb((color.rgb >> 16) & 0xFF, (color.rgb >> 8) & 0xFF, color.rgb & 0xFF);
  return AciColor(color.aci).rgb();
}

TextFont::TextFont(const FontFace& face)
    : font_(face.family.empty() ? QStringLiteral("Arial") : ToQString(face.family)) {
  // Arial, or on a system without it a face with Arial's widths, so that texts take the room
  // they take in Arial (fontconfig maps Arial so by itself; Qt's own font lists do not).
  if (font_.family().compare(QStringLiteral("Arial"), Qt::CaseInsensitive) == 0) {
    font_.setFamilies({font_.family(), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
  }
  font_.setPixelSize(kFontPixelSize);
  font_.setBold(face.bold);
  font_.setItalic(face.italic);
  const QFontMetricsF metrics(font_);
  capHeight_ = metrics.capHeight() > 0 ? metrics.capHeight() : kFontPixelSize * 0.7;
  descent_ = metrics.descent();
  averageCharWidth_ = metrics.averageCharWidth() > 0 ? metrics.averageCharWidth() : kFontPixelSize * 0.5;
}

QTransform TextToDrawing(const TextShape& text, double advance, const TextFont& font) {
  double dx = 0;
  switch (text.hAlign) {
    case TextHAlign::Left: break;
    case TextHAlign::Center: dx = -advance / 2; break;
    case TextHAlign::Right: dx = -advance; break;
  }
  double dy = 0;  // font y runs down: a positive shift lowers the text below the point
  switch (text.vAlign) {
    case TextVAlign::Baseline: break;
    case TextVAlign::Bottom: dy = -font.Descent(); break;
    case TextVAlign::Middle: dy = font.CapHeight() / 2; break;
    case TextVAlign::Top: dy = font.CapHeight(); break;
  }
  // A backward text fitted between two points stays between them: mirrored in place.
  if (text.backward && text.fitWidth > 0) dx = -advance;
  const double unit = text.height / font.CapHeight();  // drawing units per font pixel
  double stretch = text.widthFactor > 0 ? text.widthFactor : 1.0;
  if (text.fitWidth > 0 && advance > 0) stretch = text.fitWidth / (advance * unit);
  const double slant = std::tan(std::clamp(text.oblique, -85.0, 85.0) * std::numbers::pi / 180.0);
  QTransform t = QTransform::fromTranslate(dx, dy);
  t *= QTransform(1, 0, -slant, 1, 0, 0);  // the top leans right for a positive angle
  // Backward: mirrored about the anchor's upright; upside down: about the baseline.
  if (text.backward || text.upsideDown) t *= QTransform::fromScale(text.backward ? -1 : 1, text.upsideDown ? -1 : 1);
  t *= QTransform::fromScale(stretch * unit, -unit);  // font y down, drawing y up
  t *= QTransform().rotate(text.rotation);
  t *= QTransform::fromTranslate(text.position.x, text.position.y);
  return t;
}

QPainterPath TextPaths::Get(std::uint32_t text, const QString& value, const QFont& font) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (auto found = paths_.find(text); found != paths_.end()) return found->second;
  if (paths_.size() >= kMaxTextPaths) paths_.clear();
  QPainterPath path;
  path.addText(QPointF(0, 0), font, value);
  paths_.emplace(text, path);
  return path;
}

Scene::Scene(DisplayList list) : list_(std::move(list)), index_(list_.Shapes()), bounds_(index_.Bounds()) {
  for (const FontFace& face : list_.Faces()) fonts_.emplace_back(face);
  for (const Shape& s : list_.Shapes()) {
    if (s.kind != ShapeKind::Text) continue;
    if (texts_.size() <= s.index) texts_.resize(s.index + 1);
    texts_[s.index] = ToQString(list_.Text(s).value);
    ++textCount_;
  }
}

double Scene::TextBoxPixels(const QRectF& area) const {
  if (textCount_ <= kCrowdedTexts) return kTextBoxPixels;
  const QRectF a = area.normalized();
  if (bounds_ && a.left() <= bounds_->min.x && a.top() <= bounds_->min.y && a.right() >= bounds_->max.x &&
      a.bottom() >= bounds_->max.y) {
    return kCrowdedTextPixels;  // every text is in view
  }
  std::size_t texts = 0;
  index_.ForEachIn(ToExtents(a), [&](std::uint32_t i) {
    if (list_.Shapes()[i].kind == ShapeKind::Text) ++texts;
    return texts <= kCrowdedTexts;
  });
  return texts > kCrowdedTexts ? kCrowdedTextPixels : kTextBoxPixels;
}

void Scene::PaintOn(QPainter& painter, std::span<const Layer> layers, const QTransform& toDevice,
                    const QRectF* visible, QImage* pixels, double textBoxPixels, std::optional<Background> background,
                    const std::atomic<bool>* stop) const {
  ShapePainter out(painter, list_, &texts_, fonts_, toDevice, pixels, &paths_);
  out.SetTextBoxPixels(textBoxPixels);
  out.UseBackground(background);
  const auto& shapes = list_.Shapes();
  // Whether to stop, looked at every few thousand shapes.
  const auto stopped = [stop](std::size_t n) {
    return stop != nullptr && (n & 4095) == 0 && stop->load(std::memory_order_relaxed);
  };
  if (visible == nullptr) {
    for (std::size_t n = 0; n < shapes.size(); ++n) {
      if (stopped(n)) return;
      if (LayerOn(layers, shapes[n].layer)) out.Draw(shapes[n]);
    }
    return;
  }
  std::vector<std::uint32_t> which;
  index_.Query(ToExtents(visible->normalized()), which);
  for (std::size_t n = 0; n < which.size(); ++n) {
    if (stopped(n)) return;
    if (LayerOn(layers, shapes[which[n]].layer)) out.Draw(shapes[which[n]]);
  }
}

void Scene::Paint(QPainter& painter, std::span<const Layer> layers, const QTransform& toDevice,
                  const QRectF* visible, std::optional<double> textBoxPixels,
                  std::optional<Background> background) const {
  if (!textBoxPixels) {
    textBoxPixels = visible != nullptr ? TextBoxPixels(*visible)
                                       : (texts_.size() > kCrowdedTexts ? kCrowdedTextPixels : kTextBoxPixels);
  }
  PaintOn(painter, layers, toDevice, visible, nullptr, *textBoxPixels, background ? background : background_, nullptr);
}

void Scene::Render(QImage& image, std::span<const Layer> layers, const QTransform& toDevice, const QRect& region,
                   const RenderOptions& options) const {
  const int threads = options.threads;
  const std::optional<double> textBoxPixels = options.textBoxPixels;
  const std::optional<Background> background = options.background ? options.background : background_;
  const QRect area = region.intersected(image.rect());
  if (area.isEmpty()) return;
  const bool split = threads > 1 && qint64{area.width()} * area.height() >= kThreadedPixels &&
                     list_.Shapes().size() >= kThreadedShapes && image.depth() == 32;
  const int bands = split ? std::min(threads, area.height()) : 1;
  uchar* bits = image.bits();  // detaches once, before any thread starts
  const qsizetype stride = image.bytesPerLine();
  const bool invertible = toDevice.isInvertible();
  const QTransform toDrawing = toDevice.inverted();
  const double boxPixels =
      textBoxPixels ? *textBoxPixels : (invertible ? TextBoxPixels(toDrawing.mapRect(QRectF(area))) : kTextBoxPixels);
  // Each band is a QImage over the band's rows of `image`: the threads share no painter.
  auto paintBand = [&](int band) {
    const int top = area.top() + area.height() * band / bands;
    const int bottom = area.top() + area.height() * (band + 1) / bands;
    QImage view(bits + top * stride + area.left() * (image.depth() / 8), area.width(), bottom - top, stride,
                image.format());
    view.fill(BackgroundRgb(background.value_or(Background::White)));
    if (!invertible) return;
    QPainter painter(&view);
    const QTransform shifted = toDevice * QTransform::fromTranslate(-area.left(), -top);
    // One pixel more each side: dots and one-pixel lines of shapes just outside still show.
    const QRectF device(area.left() - 1, top - 1, area.width() + 2, bottom - top + 2);
    const QRectF visible = toDrawing.mapRect(device);
    PaintOn(painter, layers, shifted, &visible, &view, boxPixels, background, options.stop);
  };
  if (bands == 1) {
    paintBand(0);
    return;
  }
  std::vector<std::thread> workers;
  for (int band = 1; band < bands; ++band) workers.emplace_back(paintBand, band);
  paintBand(0);
  for (auto& w : workers) w.join();
}

void PaintDrawing(QPainter& painter, const Drawing& drawing, const DisplayList& list, const QTransform& drawingToDevice,
                  const QRectF* visibleDrawingRect, const PenWidths* penWidths) {
  std::vector<TextFont> fonts;
  for (const FontFace& face : list.Faces()) fonts.emplace_back(face);
  const auto& layers = drawing.Layers();
  std::optional<Extents> visible;
  if (visibleDrawingRect != nullptr) visible = ToExtents(visibleDrawingRect->normalized());
  ShapePainter out(painter, list, nullptr, fonts, drawingToDevice, nullptr, nullptr, penWidths);
  for (const Shape& s : list.Shapes()) {
    if (LayerOn(layers, s.layer) && (!visible || Meets(s.box, *visible))) out.Draw(s);
  }
}

}  // namespace tessaro::render
