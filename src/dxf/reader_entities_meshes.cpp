// The reader's 3-D content, drawn in plan as wireframes: polygon and polyface meshes (the
// POLYLINE kinds), MESH; and ATTDEF outside blocks, shown by its tag.
#include "dxf/reader_internal.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace tessaro::dxf_reader {
namespace {

// The most edges one mesh adds; a larger one is drawn in part.
constexpr std::size_t kMaxMeshEdges = 1'000'000;

}  // namespace

void Reader::AddPolyfaceWires(const Common& c, int flags, int m, int n, const std::vector<std::array<double, 3>>& points,
                              const std::vector<std::array<int, 4>>& faces) {
  const EntityStyle style = StyleOf(c);
  std::size_t edges = 0;
  // An edge as a 3-D line between two of the points.
  const auto edge = [&](std::size_t i, std::size_t j) {
    if (++edges > kMaxMeshEdges) return;
    drawing_.Add(style, LineGeometry{{points[i][0], points[i][1]}, {points[j][0], points[j][1]}});
    if (points[i][2] != 0.0 || points[j][2] != 0.0) drawing_.SetLastHeights({points[i][2], points[j][2]});
  };
  if ((flags & 64) != 0) {
    // A polyface: each face's visible edges.
    for (const auto& face : faces) {
      std::size_t count = 0;
      while (count < 4 && face[count] != 0) ++count;
      for (std::size_t k = 0; k < count; ++k) {
        const int from = face[k], to = face[(k + 1) % count];
        const auto a = static_cast<std::size_t>(std::abs(from)), b = static_cast<std::size_t>(std::abs(to));
        if (from < 0 || a == 0 || b == 0 || a > points.size() || b > points.size() || a == b) continue;
        edge(a - 1, b - 1);
      }
    }
    return;
  }
  // A polygon mesh of m rows of n vertices, closed in m (flag 1) or n (flag 32).
  if (m <= 0 || n <= 0 || static_cast<std::size_t>(m) * static_cast<std::size_t>(n) > points.size()) return;
  const auto um = static_cast<std::size_t>(m), un = static_cast<std::size_t>(n);
  for (std::size_t i = 0; i < um; ++i) {
    for (std::size_t j = 0; j < un; ++j) {
      if (j + 1 < un || (flags & 32) != 0) edge(i * un + j, i * un + (j + 1) % un);
      if (i + 1 < um || (flags & 1) != 0) edge(i * un + j, ((i + 1) % um) * un + j);
    }
  }
}

// MESH: vertices (10/20/30 after code 92) and faces (code 90 after 93: a count, then the
// vertex numbers), drawn as the faces' edges.
void Reader::AddMesh(const Common& c) {
  std::vector<std::array<double, 3>> points;
  std::vector<int> faceList;
  enum { None, Vertices, Faces, Other } part = None;
  for (const DxfGroup& g : groups_) {
    if (g.code == 92) part = Vertices;
    if (g.code == 93) part = Faces;
    if (g.code == 94 || g.code == 95) part = Other;
    if (part == Vertices && g.code == 10) points.push_back({Real(g), 0.0, 0.0});
    if (part == Vertices && g.code == 20 && !points.empty()) points.back()[1] = Real(g);
    if (part == Vertices && g.code == 30 && !points.empty()) points.back()[2] = Real(g);
    if (part == Faces && g.code == 90) faceList.push_back(Int(g));
  }
  const EntityStyle style = StyleOf(c);
  std::size_t edges = 0;
  for (std::size_t i = 0; i < faceList.size();) {
    const int count = faceList[i++];
    if (count <= 0 || static_cast<std::size_t>(count) > faceList.size() - i) break;
    for (int k = 0; k < count; ++k) {
      const int a = faceList[i + static_cast<std::size_t>(k)], b = faceList[i + static_cast<std::size_t>((k + 1) % count)];
      if (a < 0 || b < 0 || static_cast<std::size_t>(a) >= points.size() || static_cast<std::size_t>(b) >= points.size()) {
        continue;
      }
      if (++edges > kMaxMeshEdges) return;
      const auto& p = points[static_cast<std::size_t>(a)];
      const auto& q = points[static_cast<std::size_t>(b)];
      drawing_.Add(style, LineGeometry{{p[0], p[1]}, {q[0], q[1]}});
      if (p[2] != 0.0 || q[2] != 0.0) drawing_.SetLastHeights({p[2], q[2]});
    }
    i += static_cast<std::size_t>(count);
  }
}

void Reader::AddModelAttdef(const Common& c) {
  std::string tag;
  int flags = 0;
  TextGeometry text = ReadText(c, true, &tag, &flags);
  if ((flags & 1) != 0) return;  // invisible
  text.value = tag;
  drawing_.Add(StyleOf(c), std::move(text));
}

}  // namespace tessaro::dxf_reader
