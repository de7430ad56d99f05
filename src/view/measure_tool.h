// The window's pick and "Misura" tools put in words and lines: what a picked shape is
// (type, layer, colour, geometry, a text's value), what a measurement found, the prompt the
// status bar shows at each step of the two-click tools, and the outline that marks a
// picked shape. The geometry itself is found by render/pick.
#pragma once

#include <QPainterPath>
#include <QString>
#include <span>

#include "display/display_list.h"
#include "render/pick.h"
#include "view/pick_tools.h"

namespace tessaro::view {

// The "Misura" tool: armed -> first point taken -> shown (and armed again for the next).
struct MeasureState {
  bool armed = false;
  bool firstTaken = false;
  Point2d first;
};

// A picked shape in Italian, one fact per line: "Tipo: Linea", "Layer: MURI",
// "Colore: 1 (rosso)", then its geometry (end points and length, centre and radius, a
// text's value and height...).
QString DescribeShape(const DisplayList& list, const Shape& shape, std::span<const Layer> layers);

// "Distanza 141,42   dx 100,00   dy 100,00   angolo 45,00°" (two decimals, the user's locale).
QString DescribeMeasurement(const render::Measurement& m);

// What the status bar asks for next; empty when no tool waits for a click.
QString ToolPrompt(const PickState& pick, const MeasureState& measure);

// The shape's outline in drawing units (a text: its box; a ray or an xline: across `area`,
// the part of the drawing in view).
QPainterPath ShapeOutline(const DisplayList& list, const Shape& shape, const QRectF& area);

}  // namespace tessaro::view
