// What painting a drawing comes down to: lines, arcs, circles and texts with an ACI colour,
// in drawing units. The screen, image and PDF output paint through QPainterSink; a test can
// record instead. Needs Qt Gui only, so command-line tools can paint without widgets.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QTransform>
#include <string_view>

#include "cad/drawing.h"

namespace tessaro::render {

class PaintSink {
public:
  virtual ~PaintSink() = default;
  virtual void Line(const LineGeometry& line, int aci) = 0;
  virtual void Arc(const ArcGeometry& arc, int aci) = 0;  // counter-clockwise, degrees
  virtual void Circle(const CircleGeometry& circle, int aci) = 0;
  virtual void Text(const TextGeometry& text, int aci) = 0;
};

// Sends every line, circle, arc and text on a layer that is on to the sink, in draw order:
// the piece drawing's entity walk, kept for tests that record what is painted. Drawings
// of every entity type are painted from their display list (render/scene.h). When `visible` is
// given (drawing units), entities whose box lies wholly outside it are left out.
void PaintDrawing(const Drawing& drawing, PaintSink& sink, const QRectF* visible = nullptr);

// Paints on a QPainter through the view transform. Geometry is mapped to pixels here and
// drawn untransformed, so arcs keep their counter-clockwise sense and texts stand upright.
class QPainterSink final : public PaintSink {
public:
  QPainterSink(QPainter& painter, const QTransform& toView);
  ~QPainterSink() override;
  QPainterSink(const QPainterSink&) = delete;
  QPainterSink& operator=(const QPainterSink&) = delete;
  void Line(const LineGeometry& line, int aci) override;
  void Arc(const ArcGeometry& arc, int aci) override;
  void Circle(const CircleGeometry& circle, int aci) override;
  void Text(const TextGeometry& text, int aci) override;

private:
  void UseColor(int aci);
  QPointF Map(const Point2d& p) const { return toView_.map(QPointF(p.x, p.y)); }

  QPainter& painter_;
  QTransform toView_;
  double pixelsPerUnit_;
  int currentAci_ = -1;
  QFont font_;
  double fontCapHeight_;  // cap height of font_ in pixels, to size texts by their height
};

}  // namespace tessaro::render
