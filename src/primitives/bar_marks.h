// What the drawing tells the plant about its bars: every labelled bar shape of a piece
// with the very numbers its label was made from, and the stirrups the elevation draws zone
// by zone. The drawing routines fill a BarRecorder where they compute the length they
// print; the bar schedule and the bending-machine file are built from it. A canvas
// without a recorder records nothing and draws exactly the same.
#pragma once

#include <cstdint>
#include <vector>

#include "text/numbers.h"

namespace tessaro {

enum class BarMarkKind : std::uint8_t {
  LongitudinalBars,  // the bars of a piece: the length written beside the elevation
  StarterBars,       // the starter bars drawn beside the elevation where the section changes
  ClosedStirrup,     // a closed stirrup, or one part of a split pair: its labelled detail
  TieLeg,            // a tie leg: its labelled detail
  CircularHoop,      // the hoop of a circular section (drawn as a circle, no length label)
};

// One labelled bar shape of a piece. Lengths in cm, as the drawing computed them.
struct BarMark {
  BarMarkKind kind = BarMarkKind::LongitudinalBars;
  const char* member = "";  // the drawing routine: "StirrupHookTop", "TieLegV3", "bar list", ...
  Single diameter = 0;      // cm
  // Bars: the bars of the piece. Stirrups: per stirrup level (1 for a closed stirrup or a
  // hoop; for a tie row the legs it places in the section).
  long count = 0;
  Single cutLength = 0;  // the L the label shows
  // The shape, for the bending machine:
  //   bars: sideA = the straight part, hook = hook length, hooks = 0, 1 or 2 (same side);
  //   closed stirrups: sideA, sideB = the sides between the corner-bar axes, hook = corner radius;
  //   tie legs: sideA = the leg as drawn, hook = hook radius, oppositeHooks for the axis style;
  //   hoops: sideA = the radius of the circle drawn.
  Single sideA = 0;
  Single sideB = 0;
  Single hook = 0;
  int hooks = 0;
  bool oppositeHooks = false;

  // What the bent bar must wrap, from the placed geometry (stirrups and ties), in cm:
  // the distance between the axes of the bars it holds along each side (a tie has one
  // side), and the diameter those bars add to it (half a bar at each end). A hoop: axisA
  // is the diameter of the circle through the bar axes, barA the bars' diameter.
  Single axisA = 0;
  Single axisB = 0;
  Single barA = 0;
  Single barB = 0;
  Single drawnTail = 0;  // the straight tail the drawing's length assumes at each hook
  // Closed stirrups: the lower-left bar axis it wraps, in place in the section.
  Single originX = 0;
  Single originY = 0;
  // Bars: how many the bar list beside the elevation states for this diameter.
  long listedCount = 0;
  // Where the drawing writes this mark's label (its text anchor): the "L = ..." of bars,
  // stirrups and ties (cutLength is its L), the "staffe" note of a hoop (which states no
  // length); hasLabel false for a mark the drawing writes no label for.
  bool hasLabel = false;
  Single labelX = 0;
  Single labelY = 0;
};

// Where a stirrup of the elevation stands: in an end zone, in the middle zone, or under
// the piece as one of the top-end stirrups of the piece below (drawn with this piece).
enum class StirrupZone : std::uint8_t { End, Middle, Joint };

// The marks and stirrup levels of the pieces of one stack, in drawing order.
class BarRecorder {
public:
  struct Piece {
    Integer index = -1;   // in the stack (0 = first)
    Integer number = 0;   // the piece's own number
    Integer code = 0;     // 0 only piece, 1 first, 3 last, other = in between
    std::vector<BarMark> marks;
    long endLevels = 0;     // stirrups drawn in its end zones
    long middleLevels = 0;  // stirrups drawn in its middle zone
    long jointLevels = 0;   // stirrups drawn under it that belong to the piece below
    // The section of view 1: its outline, the axes of its corner bars, their diameter,
    // and the cover to the bar axes (a circle: x0..x1 is its diameter).
    bool hasSection = false;
    bool circular = false;
    Single sectionX0 = 0, sectionY0 = 0, sectionX1 = 0, sectionY1 = 0;
    Single cornerX0 = 0, cornerY0 = 0, cornerX1 = 0, cornerY1 = 0;
    Single cornerDiameter = 0;
    Single stirrupDiameter = 0;
  };

  // Starts the records of a piece; marks before the first piece go to a piece of index -1.
  void BeginPiece(Integer index, Integer number, Integer code);
  void AddMark(const BarMark& mark);
  void AddStirrupLevel(StirrupZone zone);
  // The section of the current piece (see Piece).
  void SetSection(const Piece& section);

  const std::vector<Piece>& Pieces() const { return pieces_; }
  void Clear() { pieces_.clear(); }

private:
  Piece& Current();
  std::vector<Piece> pieces_;
};

}  // namespace tessaro
