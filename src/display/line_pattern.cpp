#include "display/line_pattern.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace tessaro {
namespace {

double PatternLength(std::span<const double> pattern, double scale) {
  double length = 0.0;
  for (const double e : pattern) {
    if (!std::isfinite(e)) return 0.0;
    length += std::abs(e) * scale;
  }
  return length;
}

// A dash that starts and ends at one point.
bool Inkless(const std::vector<Point2d>& run) {
  for (const Point2d& p : run) {
    if (p.x != run.front().x || p.y != run.front().y) return false;
  }
  return true;
}

Point2d Along(Point2d a, Point2d b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// Walks a path with the pattern, element by element, keeping the open dash across corners.
class Dasher {
public:
  Dasher(std::span<const double> pattern, double scale, double phase, DashedPath& out)
      : pattern_(pattern), scale_(scale), out_(out) {
    // Skip whole elements of the phase, then part of one.
    const double length = PatternLength(pattern, scale);
    phase = length > 0 ? std::fmod(phase, length) : 0.0;
    while (phase > 0) {
      const double e = std::abs(pattern_[element_]) * scale_;
      if (phase < e) {
        left_ = e - phase;
        return;
      }
      phase -= e;
      Next();
    }
    left_ = std::abs(pattern_[element_]) * scale_;
  }

  void Start(Point2d at) {
    if (Drawing() && pattern_[element_] != 0) Open(at);
  }

  // Runs from `a` to `b` (the current point is `a`).
  void Run(Point2d a, Point2d b) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!(length > 0)) return;
    double done = 0.0;
    while (true) {
      const bool dot = pattern_[element_] == 0;
      if (dot) {
        out_.dots.push_back(Along(a, b, done / length));
        Next();
        left_ = std::abs(pattern_[element_]) * scale_;
        if (Drawing() && pattern_[element_] != 0) Open(Along(a, b, done / length));
        continue;
      }
      if (done + left_ > length) {
        left_ -= length - done;
        if (open_) out_.runs.back().push_back(b);
        return;
      }
      done += left_;
      const Point2d at = Along(a, b, done / length);
      if (open_) {
        out_.runs.back().push_back(at);
        open_ = false;
      }
      Next();
      left_ = std::abs(pattern_[element_]) * scale_;
      if (Drawing() && pattern_[element_] != 0) Open(at);
    }
  }

private:
  bool Drawing() const { return pattern_[element_] >= 0; }
  void Next() { element_ = (element_ + 1) % pattern_.size(); }
  void Open(Point2d at) {
    out_.runs.push_back({at});
    open_ = true;
  }

  std::span<const double> pattern_;
  double scale_;
  DashedPath& out_;
  std::size_t element_ = 0;
  double left_ = 0.0;
  bool open_ = false;
};

}  // namespace

std::optional<DashedPath> DashPath(std::span<const Point2d> path, bool closed, std::span<const double> pattern,
                                   double scale) {
  if (pattern.empty() || !std::isfinite(scale) || scale <= 0 || path.size() < 2) return std::nullopt;
  const double period = PatternLength(pattern, scale);
  if (!(period > 0) || !std::isfinite(period)) return std::nullopt;
  double total = 0.0;
  for (std::size_t i = 1; i < path.size(); ++i) total += std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
  if (closed) total += std::hypot(path.front().x - path.back().x, path.front().y - path.back().y);
  if (!std::isfinite(total) || total / period * static_cast<double>(pattern.size()) > kMaxDashesPerPath) {
    return std::nullopt;
  }
  DashedPath out;
  Dasher dasher(pattern, scale, 0.0, out);
  dasher.Start(path[0]);
  for (std::size_t i = 1; i < path.size(); ++i) dasher.Run(path[i - 1], path[i]);
  if (closed) dasher.Run(path.back(), path.front());
  // Dashes of no length (one starting just where the path ends) draw nothing.
  std::erase_if(out.runs, Inkless);
  return out;
}

void DashSegment(Point2d from, Point2d to, std::span<const double> pattern, double scale, double phase,
                 DashedPath& out) {
  const double period = PatternLength(pattern, scale);
  if (pattern.empty() || !(period > 0) || !std::isfinite(period)) {
    out.runs.push_back({from, to});
    return;
  }
  const std::size_t before = out.runs.size();
  Dasher dasher(pattern, scale, phase, out);
  dasher.Start(from);
  dasher.Run(from, to);
  const auto empty = std::remove_if(out.runs.begin() + static_cast<std::ptrdiff_t>(before), out.runs.end(), Inkless);
  out.runs.erase(empty, out.runs.end());
}

}  // namespace tessaro
