#include "support/entity_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "dxf_write/writer.h"

namespace tessaro::test {
namespace {

std::string Xy(const Point2d& p) { return Number(p.x) + " " + Number(p.y); }

// The heights an entity keeps for 3-D, when it has any: " z: 1 2".
std::string Zs(const Drawing& d, const EntityHeader& e) {
  const auto z = d.Heights(e);
  if (z.empty()) return "";
  std::string out = " z:";
  for (const double h : z) out += " " + Number(h);
  return out;
}

std::string Hex(std::uint32_t rgb) {
  char hex[16];
  std::snprintf(hex, sizeof hex, " #%06X", rgb);
  return hex;
}

std::string Head(const Drawing& d, const EntityHeader& e, const std::string& type) {
  std::string line = type + " " + d.Layers()[e.layer].name + " " + std::to_string(e.color);
  if (const auto rgb = d.TrueColor(e)) line += Hex(*rgb);
  return line;
}

std::string Style(const std::string& style) { return style.empty() ? "Arial" : style; }

std::string TextFields(const TextGeometry& t) {
  return Xy(t.position) + " " + Number(t.height) + " " + Number(t.rotation) + " " + Number(t.widthFactor) + " " +
         Number(t.oblique) + " " + std::to_string(t.hAlign) + " " + std::to_string(t.vAlign) + " " +
         Xy(t.alignPoint) + " " + std::to_string(t.generation) + " [" + t.value + "] " + Style(t.style);
}

std::string Loop(const HatchLoop& loop) {
  std::string line;
  if (loop.isPolyline) {
    line = loop.closed ? "P1" : "P0";
    for (const auto& v : loop.polyline) line += " " + Xy(v.point) + " " + Number(v.bulge);
    return line;
  }
  line = "E";
  for (const auto& edge : loop.edges) {
    if (const auto* l = std::get_if<HatchLineEdge>(&edge)) line += " LINE " + Xy(l->start) + " " + Xy(l->end);
    if (const auto* a = std::get_if<HatchArcEdge>(&edge)) {
      // A clockwise edge as ezdxf holds it: its angles mirrored, from 360 - end to 360 - start.
      const bool ccw = a->counterClockwise;
      line += " ARC " + Xy(a->center) + " " + Number(a->radius) + " " + Number(ccw ? a->startAngle : 360 - a->endAngle) +
              " " + Number(ccw ? a->endAngle : 360 - a->startAngle) + (ccw ? " 1" : " 0");
    }
    if (const auto* el = std::get_if<HatchEllipseEdge>(&edge)) line += " ELLIPSE " + Xy(el->center);
    if (const auto* s = std::get_if<SplineGeometry>(&edge)) {
      line += " SPLINE " + std::to_string(s->controlPoints.size()) + " " + std::to_string(s->knots.size());
    }
  }
  return line;
}

// The entity list[i]; an insert also takes its attributes, list[i + 1] on, moving i past them.
std::string Describe(const Drawing& d, const std::vector<EntityHeader>& list, std::size_t& i, std::size_t attributes) {
  const EntityHeader& e = list[i];
  switch (e.type) {
    case EntityType::Line: return Head(d, e, "LINE") + " " + Xy(d.Line(e).start) + " " + Xy(d.Line(e).end) + Zs(d, e);
    case EntityType::Circle: return Head(d, e, "CIRCLE") + " " + Xy(d.Circle(e).center) + " " + Number(d.Circle(e).radius);
    case EntityType::Arc: {
      const auto& g = d.Arc(e);
      return Head(d, e, "ARC") + " " + Xy(g.center) + " " + Number(g.radius) + " " + Number(g.startAngle) + " " +
             Number(g.endAngle);
    }
    case EntityType::Text: return Head(d, e, "TEXT") + " " + TextFields(d.Text(e));
    case EntityType::Attrib: {
      const auto& a = d.Attrib(e);
      return Head(d, e, "ATTRIB") + " " + a.tag + (a.invisible ? " 1 " : " 0 ") + TextFields(a.text);
    }
    case EntityType::Polyline: {
      const auto& g = d.Polyline(e);
      if (const auto z = d.Heights(e); !z.empty()) {  // a 3-D polyline
        std::string line = Head(d, e, "POLYLINE") + (g.closed ? " 1" : " 0");
        for (std::size_t i = 0; i < z.size(); ++i) line += " " + Xy(d.Vertices(g)[i].point) + " " + Number(z[i]);
        return line;
      }
      std::string line = Head(d, e, "LWPOLYLINE") + (g.closed ? " 1 " : " 0 ") + Number(g.width);
      for (const auto& v : d.Vertices(g)) line += " " + Xy(v.point) + " " + Number(v.bulge);
      return line;
    }
    case EntityType::Ellipse: {
      const auto& g = d.Ellipse(e);
      return Head(d, e, "ELLIPSE") + " " + Xy(g.center) + " " + Xy(g.majorAxis) + " " + Number(g.ratio) + " " +
             Number(g.startParam) + " " + Number(g.endParam);
    }
    case EntityType::Spline: {
      const auto& g = d.Spline(e);
      const bool none = g.controlPoints.empty() && g.fitPoints.empty();
      return Head(d, e, "SPLINE") + " " + std::to_string(g.degree) + (g.closed ? " 1 " : " 0 ") +
             std::to_string(g.controlPoints.size()) + " " + std::to_string(g.knots.size()) + " " +
             std::to_string(g.fitPoints.size()) + " " + std::to_string(g.weights.size()) +
             (none ? "" : " " + Xy(g.controlPoints.empty() ? g.fitPoints.front() : g.controlPoints.front()));
    }
    case EntityType::MText: {
      const auto& g = d.MText(e);
      // A text seen from below its plane (extrusion 0,0,-1) by its rotation in that plane, as
      // DXF holds it.
      return Head(d, e, "MTEXT") + " " + Xy(g.position) + " " + Number(g.height) + " " + Number(g.width) + " " +
             Number(g.mirrored ? 180.0 - g.rotation : g.rotation) + " " + std::to_string(g.attachment) + " [" + g.value + "] " + Style(g.style);
    }
    case EntityType::Insert: {
      const auto& g = d.Insert(e);
      std::string line = Head(d, e, "INSERT") + " " + d.Blocks()[g.block].name + " " + Xy(g.position) + " " +
                         Number(g.xScale) + " " + Number(g.yScale) + " " + Number(g.rotation) + " " +
                         std::to_string(g.columns) + " " + std::to_string(g.rows) + " " + Number(g.columnSpacing) +
                         " " + Number(g.rowSpacing);
      for (; attributes > 0; --attributes) {
        const auto& a = d.Attrib(list[++i]);
        line += " | ATTRIB " + a.tag + (a.invisible ? " 1 " : " 0 ") + TextFields(a.text);
      }
      return line;
    }
    case EntityType::Dimension: {
      const auto& g = d.Dimension(e);
      return Head(d, e, "DIMENSION") + " " + d.Blocks()[g.block].name + " " + Xy(g.definitionPoint) + " " +
             Xy(g.textPoint) + " " + std::to_string(g.dimensionType) + " " + (g.style.empty() ? "Standard" : g.style);
    }
    case EntityType::Leader: {
      std::string line = Head(d, e, "LEADER") + (d.Leader(e).arrowhead ? " 1" : " 0");
      for (const auto& p : d.Leader(e).vertices) line += " " + Xy(p);
      return line;
    }
    case EntityType::Hatch: {
      const auto& g = d.Hatch(e);
      std::string line = Head(d, e, "HATCH") + (g.solid ? " 1 " : " 0 ") + g.pattern + " ";
      for (std::size_t k = 0; k < g.loops.size(); ++k) line += (k > 0 ? " / " : "") + Loop(g.loops[k]);
      return line;
    }
    case EntityType::Solid: {
      const auto& g = d.Solid(e);
      static constexpr const char* kNames[] = {"SOLID", "TRACE", "3DFACE"};
      std::string line = Head(d, e, kNames[static_cast<int>(g.kind)]);
      for (const auto& p : g.corners) line += " " + Xy(p);
      if (g.kind == SolidKind::Face3d) line += " " + std::to_string(g.invisibleEdges) + Zs(d, e);
      return line;
    }
    case EntityType::Point: return Head(d, e, "POINT") + " " + Xy(d.Point(e).position);
    case EntityType::Ray: {
      const auto& g = d.Ray(e);
      const double length = std::hypot(g.direction.x, g.direction.y);
      const Point2d unit = length > 0 ? Point2d{g.direction.x / length, g.direction.y / length} : g.direction;
      return Head(d, e, g.infinite ? "XLINE" : "RAY") + " " + Xy(g.base) + " " + Xy(unit);
    }
    case EntityType::Wipeout: {
      std::string line = Head(d, e, "WIPEOUT");
      const auto& frame = d.Wipeout(e).frame;
      for (const auto& p : frame) line += " " + Xy(p);
      if (!frame.empty() && !(frame.front() == frame.back())) line += " " + Xy(frame.front());
      return line;
    }
  }
  return "?";
}

}  // namespace

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", std::abs(value) < 5e-5 ? 0.0 : value);
  return text;
}

std::vector<std::string> EntityLines(const Drawing& d, const std::vector<EntityHeader>& list, bool onlyWhatDxfHolds) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const EntityHeader& e = list[i];
    std::size_t attributes = 0;
    if (e.type == EntityType::Insert) {
      while (attributes < d.Insert(e).attributes && i + 1 + attributes < list.size() &&
             list[i + 1 + attributes].type == EntityType::Attrib) {
        ++attributes;
      }
    }
    const bool orphan = onlyWhatDxfHolds && e.type == EntityType::Attrib;
    if (!orphan && (!onlyWhatDxfHolds || DxfCanHold(d, e))) {
      std::size_t at = i;
      lines.push_back(Describe(d, list, at, attributes));
    }
    i += attributes;
  }
  return lines;
}

std::string ListDrawing(const Drawing& d, ListOptions options) {
  std::string out;
  if (options.layers) {
    if (!d.FindLayer("0")) out += "LAYER 0 7 on 0\n";  // every DXF file has it
    for (const auto& layer : d.Layers()) {
      if (layer.name == "Defpoints") continue;  // ezdxf adds its own
      const int color = layer.color >= 1 && layer.color <= 255 ? layer.color : 7;
      out += "LAYER " + layer.name + " " + std::to_string(color) + (layer.on ? " on " : " off ") +
             (layer.frozen ? "1" : "0") + (layer.trueColor ? Hex(*layer.trueColor) : "") + "\n";
    }
  }
  for (const auto& block : d.Blocks()) {
    out += "BLOCK " + block.name + " " + Xy(block.base) + "\n";
    for (const auto& line : EntityLines(d, block.entities, options.onlyWhatDxfHolds)) out += "  " + line + "\n";
  }
  for (const auto& line : EntityLines(d, d.Entities(), options.onlyWhatDxfHolds)) out += line + "\n";
  return out;
}

std::vector<std::string> ListEntities(const Drawing& d) { return EntityLines(d, d.Entities()); }

namespace {

bool SameNumber(const std::string& a, const std::string& b) {
  char* endA = nullptr;
  char* endB = nullptr;
  const double x = std::strtod(a.c_str(), &endA);
  const double y = std::strtod(b.c_str(), &endB);
  if (a.empty() || b.empty() || *endA != '\0' || *endB != '\0') return false;
  return std::fabs(x - y) <= 2e-6 * std::max({1.0, std::fabs(x), std::fabs(y)});
}

bool SameLine(const std::string& a, const std::string& e) {
  std::istringstream wordsA(a);
  std::istringstream wordsE(e);
  std::string wa;
  std::string we;
  for (;;) {
    const bool nextA = static_cast<bool>(wordsA >> wa);
    const bool nextE = static_cast<bool>(wordsE >> we);
    if (!nextA || !nextE) return nextA == nextE;
    if (wa != we && !SameNumber(wa, we)) return false;
  }
}

}  // namespace

void ExpectSameListing(const std::string& actual, const std::string& expected) {
  std::istringstream actualLines(actual);
  std::istringstream expectedLines(expected);
  std::string a;
  std::string e;
  for (int line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(actualLines, a));
    const bool moreE = static_cast<bool>(std::getline(expectedLines, e));
    if (!moreA && !moreE) return;
    if (moreA != moreE || !SameLine(a, e)) {
      ADD_FAILURE() << "line " << line << " differs\n  actual:   " << (moreA ? a : "(none)")
                    << "\n  expected: " << (moreE ? e : "(none)");
      return;
    }
  }
}

}  // namespace tessaro::test
