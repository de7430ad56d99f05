// Words and outlines for the pick and measure tools.
#include "view/measure_tool.h"

#include <QLocale>
#include <QStringList>
#include <array>
#include <cmath>
#include <numbers>

namespace tessaro::view {
namespace {

QString Number(double value) { return QLocale().toString(value, 'f', 2); }

QString PointText(Point2d p) { return QStringLiteral("(%1; %2)").arg(Number(p.x), Number(p.y)); }

QString ColourText(const ShapeColor& color) {
  static const std::array<const char*, 10> kNames = {"",     "rosso",   "giallo", "verde",  "ciano",
                                                     "blu",  "magenta", "bianco/nero", "grigio", "grigio chiaro"};
  if (color.aci == 0) return QStringLiteral("#%1").arg(color.rgb, 6, 16, QLatin1Char('0')).toUpper();
  if (color.aci >= 1 && color.aci <= 9) return QStringLiteral("%1 (%2)").arg(color.aci).arg(QLatin1String(kNames[color.aci]));
  return QString::number(color.aci);
}

double PolylineLength(std::span<const Point2d> points, bool closed) {
  double length = 0;
  for (std::size_t i = 1; i < points.size(); ++i) {
    length += std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
  }
  if (closed && points.size() > 2) length += std::hypot(points.front().x - points.back().x, points.front().y - points.back().y);
  return length;
}

}  // namespace

QString DescribeShape(const DisplayList& list, const Shape& shape, std::span<const Layer> layers) {
  QStringList lines;
  auto add = [&lines](const char* caption, const QString& value) {
    lines << QString::fromUtf8(caption) + QStringLiteral(": ") + value;
  };
  const QString layer = static_cast<std::size_t>(shape.layer) < layers.size()
                            ? QString::fromStdString(layers[shape.layer].name)
                            : QString::number(shape.layer);
  switch (shape.kind) {
    case ShapeKind::Segment: {
      const auto p = list.PointsOf(shape);
      add("Tipo", QStringLiteral("Linea"));
      add("Layer", layer);
      add("Colore", ColourText(shape.color));
      add("Da", PointText(p[0]));
      add("A", PointText(p[1]));
      add("Lunghezza", Number(PolylineLength(p, false)));
      break;
    }
    case ShapeKind::Polyline:
    case ShapeKind::Fill: {
      const auto p = list.PointsOf(shape);
      add("Tipo", shape.kind == ShapeKind::Fill ? QStringLiteral("Campitura") : QStringLiteral("Polilinea"));
      add("Layer", layer);
      add("Colore", ColourText(shape.color));
      add("Vertici", QString::number(p.size()) + (shape.closed ? QStringLiteral(", chiusa") : QString()));
      add("Primo vertice", PointText(p[0]));
      add("Lunghezza", Number(PolylineLength(p, shape.closed || shape.kind == ShapeKind::Fill)));
      break;
    }
    case ShapeKind::Arc: {
      const ArcShape& a = list.Arc(shape);
      const bool circle = a.endAngle - a.startAngle >= 360.0;
      add("Tipo", circle ? QStringLiteral("Cerchio") : QStringLiteral("Arco"));
      add("Layer", layer);
      add("Colore", ColourText(shape.color));
      add("Centro", PointText(a.center));
      add("Raggio", Number(a.radius));
      if (!circle) add("Angoli", Number(a.startAngle) + QStringLiteral("° - ") + Number(a.endAngle) + QStringLiteral("°"));
      break;
    }
    case ShapeKind::Text: {
      const TextShape& t = list.Text(shape);
      add("Tipo", QStringLiteral("Testo"));
      add("Layer", layer);
      add("Colore", ColourText(shape.color));
      add("Valore", QString::fromStdString(t.value));
      add("Posizione", PointText(t.position));
      add("Altezza", Number(t.height));
      if (t.rotation != 0) add("Rotazione", Number(t.rotation) + QStringLiteral("°"));
      break;
    }
    case ShapeKind::Dot:
      add("Tipo", QStringLiteral("Punto"));
      add("Layer", layer);
      add("Colore", ColourText(shape.color));
      add("Posizione", PointText(list.PointsOf(shape)[0]));
      break;
    case ShapeKind::Ray: {
      const auto p = list.PointsOf(shape);
      double angle = std::atan2(p[1].y, p[1].x) * 180.0 / std::numbers::pi;
      if (angle < 0) angle += 360.0;
      add("Tipo", shape.closed ? QStringLiteral("Retta") : QStringLiteral("Semiretta"));
      add("Layer", layer);
      add("Colore", ColourText(shape.color));
      add("Punto base", PointText(p[0]));
      add("Direzione", Number(angle) + QStringLiteral("°"));
      break;
    }
  }
  return lines.join(QLatin1Char('\n'));
}

QString DescribeMeasurement(const render::Measurement& m) {
  return QStringLiteral("Distanza %1   dx %2   dy %3   angolo %4°")
      .arg(Number(m.distance), Number(m.dx), Number(m.dy), Number(m.angle));
}

QString ToolPrompt(const PickState& pick, const MeasureState& measure) {
  if (pick.windowPickActive) return QStringLiteral("Zoom finestra: clicca il secondo angolo (Esc annulla)");
  if (pick.windowPickPending) return QStringLiteral("Zoom finestra: clicca il primo angolo (Esc annulla)");
  if (pick.panPickActive) return QStringLiteral("Pan: clicca il punto di arrivo (Esc annulla)");
  if (pick.panPickPending) return QStringLiteral("Pan: clicca il punto di partenza (Esc annulla)");
  if (measure.armed && measure.firstTaken) return QStringLiteral("Misura: clicca il secondo punto (Esc termina)");
  if (measure.armed) return QStringLiteral("Misura: clicca il primo punto (Esc termina)");
  return {};
}

QPainterPath ShapeOutline(const DisplayList& list, const Shape& shape, const QRectF& area) {
  QPainterPath path;
  switch (shape.kind) {
    case ShapeKind::Segment:
    case ShapeKind::Polyline:
    case ShapeKind::Fill: {
      const auto p = list.PointsOf(shape);
      if (p.empty()) break;
      path.moveTo(p[0].x, p[0].y);
      for (std::size_t i = 1; i < p.size(); ++i) path.lineTo(p[i].x, p[i].y);
      if (shape.closed || shape.kind == ShapeKind::Fill) path.closeSubpath();
      break;
    }
    case ShapeKind::Arc: {
      const ArcShape& a = list.Arc(shape);
      double sweep = a.endAngle - a.startAngle >= 360.0 ? 360.0 : std::fmod(a.endAngle - a.startAngle + 720.0, 360.0);
      if (sweep == 0) sweep = 360.0;
      constexpr int kSteps = 96;
      for (int i = 0; i <= kSteps; ++i) {
        const double angle = (a.startAngle + sweep * i / kSteps) * std::numbers::pi / 180.0;
        const QPointF p(a.center.x + a.radius * std::cos(angle), a.center.y + a.radius * std::sin(angle));
        i == 0 ? path.moveTo(p) : path.lineTo(p);
      }
      break;
    }
    case ShapeKind::Text:
    case ShapeKind::Dot:
      path.addRect(QRectF(QPointF(shape.box.min.x, shape.box.min.y), QPointF(shape.box.max.x, shape.box.max.y)));
      break;
    case ShapeKind::Ray: {
      // From the base (or, for an xline, from the foot of the perpendicular from the area's
      // middle) as far as the area's diagonal, each way the shape runs.
      const auto p = list.PointsOf(shape);
      const QPointF base(p[0].x, p[0].y), along(p[1].x, p[1].y);
      const double reach = std::hypot(area.width(), area.height()) + QLineF(base, area.center()).length();
      const QPointF from =
          shape.closed ? base + along * QPointF::dotProduct(area.center() - base, along) : base;
      path.moveTo(shape.closed ? from - along * reach : from);
      path.lineTo(from + along * reach);
      break;
    }
  }
  return path;
}

}  // namespace tessaro::view
