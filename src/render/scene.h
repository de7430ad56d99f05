// Painting a display list fast: a scene owns the list, its spatial index and the texts as
// Qt strings, built once when the drawing changes; every frame then visits only what is in
// view, draws what is smaller than a pixel as a dot and small texts as a line or a box, and
// can split an image between two threads. Layer states are read at each frame, so switching
// a layer needs no new scene. Qt Gui only: it paints on any QPainter (screen, image, PDF).
#pragma once

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "display/display_list.h"
#include "cad/drawing.h"
#include "render/aci_colors.h"
#include "render/shape_index.h"

namespace tessaro::render {

// How much of a shape a frame draws, from its size on the device.
enum class Detail : std::uint8_t {
  Full,
  Dot,      // smaller than a pixel: one pixel at the middle of its box
  TextBox,  // a text one to two pixels high: the outline of its box
  TextLine  // a text under a pixel high: a line along its baseline
};
// Texts stay texts down to two pixels, where letters are still told apart by their shape
// (and glyphs that small come from Qt's cache); below that a box, then a line.
inline constexpr double kDotPixels = 1.0;       // boxes under this on both sides are dots
inline constexpr double kTextLinePixels = 1.0;  // cap heights under this are a line
inline constexpr double kTextBoxPixels = 2.0;   // cap heights under this are a box
// A frame with more texts than this in view draws texts under kCrowdedTextPixels as boxes:
// tens of thousands of texts a few pixels high cannot be read, and drawing their letters
// costs seconds.
inline constexpr std::size_t kCrowdedTexts = 2000;
inline constexpr double kCrowdedTextPixels = 5.0;

// `textBoxPixels`: cap heights under this (and at least kTextLinePixels) are a box.
Detail ShapeDetail(const Shape& shape, double capHeight, double pixelsPerUnit,
                   double textBoxPixels = kTextBoxPixels);

// The screen colour of a shape: an ACI number, or a true colour when aci is 0.
QRgb ShapeRgb(ShapeColor color);

// A font texts are drawn with, at one pixel size and scaled to each text's height: the
// face's family (Arial when it names none; the system's nearest when it lacks it), bold and
// italic as the face says.
class TextFont {
public:
  explicit TextFont(const FontFace& face = {});
  const QFont& Font() const { return font_; }
  double CapHeight() const { return capHeight_; }
  double Descent() const { return descent_; }
  double AverageCharWidth() const { return averageCharWidth_; }

private:
  QFont font_;
  double capHeight_;
  double descent_;
  double averageCharWidth_;
};

// Where a text stands: the transform from the font's own coordinates (pixels of
// TextFont, x along the baseline, y down, the text's left end on its baseline at the
// origin) to drawing units. `advance` is the text's width in font pixels. The text is
// placed around its position as its alignment says (bottom: the descent sits on the
// point; middle: half the cap height; top: the cap height), sized so that the cap height
// is `height`, stretched by the width factor (or to `fitWidth` when that is set), slanted
// by `oblique` and turned by `rotation` counter-clockwise.
QTransform TextToDrawing(const TextShape& text, double advance, const TextFont& font);

// The outlines of texts drawn large, kept so that a text is taken apart into curves once
// and not at every frame. Safe to use from the threads of one frame; bounded in size.
class TextPaths {
public:
  QPainterPath Get(std::uint32_t text, const QString& value, const QFont& font);

private:
  std::mutex mutex_;
  std::unordered_map<std::uint32_t, QPainterPath> paths_;
};

// How Scene::Render paints: on up to `threads` threads, each a band of rows; texts under
// `textBoxPixels` as boxes (a view painting its frame in parts, strips after a pan, gives
// the whole frame's; unset: TextBoxPixels of the region); for `background` (unset: the
// scene's own); stopping early, the region then holding part of the picture, once `stop`
// is set (a frame no longer wanted).
struct RenderOptions {
  int threads = 2;
  std::optional<double> textBoxPixels;
  std::optional<Background> background;
  const std::atomic<bool>* stop = nullptr;
};

class Scene {
public:
  Scene() = default;
  explicit Scene(DisplayList list);
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  const DisplayList& List() const { return list_; }
  const ShapeIndex& Index() const { return index_; }

  // Paints the shapes on layers that are on (a layer index beyond `layers` counts as on)
  // whose boxes meet `visible` (drawing units; all shapes without it), in draw order.
  // Texts under `textBoxPixels` are boxes; without it, TextBoxPixels of what is painted.
  // `background` unset: the scene's own.
  void Paint(QPainter& painter, std::span<const Layer> layers, const QTransform& toDevice,
             const QRectF* visible = nullptr, std::optional<double> textBoxPixels = std::nullopt,
             std::optional<Background> background = std::nullopt) const;

  // Fills `region` of `image` with the background and paints into it what it shows, each
  // thread into a band of the image's own memory. Safe to call from several threads at
  // once, on images of their own.
  void Render(QImage& image, std::span<const Layer> layers, const QTransform& toDevice, const QRect& region,
              const RenderOptions& options) const;
  void Render(QImage& image, std::span<const Layer> layers, const QTransform& toDevice, const QRect& region,
              int threads = 2, std::optional<double> textBoxPixels = std::nullopt) const {
    Render(image, layers, toDevice, region, RenderOptions{threads, textBoxPixels, std::nullopt, nullptr});
  }

  // kTextBoxPixels, or kCrowdedTextPixels when more than kCrowdedTexts texts meet `area`
  // (drawing units).
  double TextBoxPixels(const QRectF& area) const;

  // The screen the scene is painted for: Render fills with its colour and every colour is
  // made readable on it (see ScreenRgb). Unset: white, with the colours as they are.
  void SetBackground(std::optional<Background> background) { background_ = background; }

private:
  // Paint, with strokes written straight into `pixels` (the painter's image) when given.
  void PaintOn(QPainter& painter, std::span<const Layer> layers, const QTransform& toDevice, const QRectF* visible,
               QImage* pixels, double textBoxPixels, std::optional<Background> background,
               const std::atomic<bool>* stop) const;

  DisplayList list_;
  ShapeIndex index_;  // refers to list_'s shapes, which never move after construction
  std::optional<Extents> bounds_;
  std::vector<QString> texts_;
  std::size_t textCount_ = 0;
  std::vector<TextFont> fonts_;  // one per face of the list
  mutable TextPaths paths_;
  std::optional<Background> background_;
};

// Pen width in device pixels for a colour, as paper wants line weights; 0 is a cosmetic
// one-pixel line, as the screen wants.
using PenWidths = std::function<double(ShapeColor color)>;

// The drawing's display list on a painter: the stable entry for the view, images, sheets
// and PDF files. Builds a scene for the call; whoever paints often keeps a Scene instead.
// Without `penWidths` every line is cosmetic.
void PaintDrawing(QPainter& painter, const Drawing& drawing, const DisplayList& list, const QTransform& drawingToDevice,
                  const QRectF* visibleDrawingRect = nullptr, const PenWidths* penWidths = nullptr);

}  // namespace tessaro::render
