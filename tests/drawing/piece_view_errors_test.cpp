// Tests of how a piece view fails: nothing drawn for width 0, bad fields and zero divisors
// raise before anything is drawn, errors in the bars end the call, and from the stirrups
// on a failing statement is skipped while the rest of the view and the record still come.
#include <gtest/gtest.h>

#include <string>

#include "piece_fixture.h"
#include "platform/errors.h"

namespace tessaro {
namespace {

using namespace test;

TEST(PieceViewErrors, WidthZeroDrawsNothingAndKeepsTheRecord) {
  PieceRun run;
  run.state.view1.leftFace = 123;
  PieceViewArgs a = BaseView1();
  a.width = 0;
  a.barsWidth = "not read";
  run.Draw(a);
  EXPECT_TRUE(run.drawing.Layers().empty());
  EXPECT_EQ(run.drawing.EntityCount(), 0u);
  EXPECT_EQ(run.state.view1.leftFace, 123);
}

struct BadField {
  const char* name;
  std::string PieceViewArgs::*field;
  const char* text;
  ErrorKind kind;
};

TEST(PieceViewErrors, BadFieldRaisesBeforeAnythingIsDrawn) {
  const BadField cases[] = {
      {"width bars without the sign", &PieceViewArgs::barsWidth, "4", ErrorKind::SubscriptOutOfRange},
      {"empty width bars", &PieceViewArgs::barsWidth, "", ErrorKind::SubscriptOutOfRange},
      {"width bar count not a number", &PieceViewArgs::barsWidth, "xØ16", ErrorKind::TypeMismatch},
      {"width bar diameter not a number", &PieceViewArgs::barsWidth, "4Øa", ErrorKind::TypeMismatch},
      {"depth bars without the sign", &PieceViewArgs::barsDepth, "2", ErrorKind::SubscriptOutOfRange},
      {"stirrups without the sign", &PieceViewArgs::stirrups, "2", ErrorKind::SubscriptOutOfRange},
      {"empty other stirrups", &PieceViewArgs::otherStirrups, "", ErrorKind::SubscriptOutOfRange},
      {"other stirrup count not a number", &PieceViewArgs::otherStirrups, "?Ø8", ErrorKind::TypeMismatch},
  };
  for (const BadField& c : cases) {
    SCOPED_TRACE(c.name);
    PieceRun run;
    PieceViewArgs a = BaseView1();
    a.*c.field = c.text;
    try {
      run.Draw(a);
      ADD_FAILURE() << "no error raised";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.kind(), c.kind) << e.what();
    }
    EXPECT_TRUE(run.drawing.Layers().empty()) << "no layer added";
    EXPECT_EQ(run.drawing.EntityCount(), 0u);
  }
}

TEST(PieceViewErrors, OtherStirrupsNeedOnlyTheirCount) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.otherStirrups = "2";
  EXPECT_NO_THROW(run.Draw(a));
  EXPECT_EQ(CountOn(run.drawing, "Quote"), 35u);
}

TEST(PieceViewErrors, ZeroDivisorOfTheBarSpacingRaisesBeforeAnythingIsDrawn) {
  PieceViewArgs view1 = BaseView1();
  view1.barsWidth = "1Ø16";  // n1 - 1 = 0 with the corners on the width
  PieceViewArgs view2 = BaseView2();
  view2.barsDepth = "1Ø16";  // n2 - 1 = 0 with the corners on the depth, though view 2 draws no section
  for (PieceViewArgs* a : {&view1, &view2}) {
    PieceRun run;
    EXPECT_THROW(run.Draw(*a), RuntimeError);
    EXPECT_TRUE(run.drawing.Layers().empty());
  }
}

TEST(PieceViewErrors, ErrorInTheContinuedBarsEndsTheCallWithoutTheRecord) {
  PieceRun run;
  run.state.view1.barCount = 1;  // q = (W - 2c) / (1 - 1)
  run.state.view1.leftFace = 123;
  try {
    run.Draw(BaseView1(3, 1, 300, 600));
    ADD_FAILURE() << "no error raised";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::DivisionByZero);
  }
  EXPECT_EQ(CountOn(run.drawing, "Ferri"), 5u) << "the bars and hooks drawn before stay, no stirrups";
  EXPECT_FALSE(run.drawing.FindLayer("Quote").has_value());
  EXPECT_EQ(run.state.view1.leftFace, 123) << "record not written";
}

// From the stirrups on: missing per-stack arrays make the bar list column's look-ahead
// fail; it is skipped, and the column, title, levels and record still come.
TEST(PieceViewErrors, MissingStackArraysAreSkippedInTheBarListColumn) {
  PieceRun run;
  run.side1.clear();
  run.side2.clear();
  run.tops.clear();
  run.Draw(BaseView1(1));
  // Taken as an unchanged next piece: up to T + 100 = 400.
  ExpectLine(LinesOn(run.drawing, "Ferri").at(LinesOn(run.drawing, "Ferri").size() - 2), -306, -97, -306, 400, 3,
             "bar list line");
  EXPECT_EQ(CountOn(run.drawing, "Testo"), 1u);
  EXPECT_EQ(CountOn(run.drawing, "Quote"), 4u + 27u);
  EXPECT_EQ(run.state.view1.leftFace, 140);
}

// A zero end spacing never reaches the end zone: each such stirrup loop stops when its
// 16-bit counter overflows (after 32768 stirrups from the bottom, 32767 from the top),
// the error is skipped and the view is finished.
TEST(PieceViewErrors, RunawayStirrupLoopStopsAtTheCounterLimitAndTheViewGoesOn) {
  PieceRun run;
  PieceViewArgs a = BaseView1();
  a.endSpacing = 0;
  run.Draw(a);
  // Middle zone: from u = 2, then 0 x 0 + i x 20 = 20 .. 220 below 300 - 60 - 0 = 240: 12.
  const std::size_t stirrups = 32768 + 12 + 32767;
  EXPECT_EQ(CountOn(run.drawing, "Ferri"), 7 + stirrups + 5);
  EXPECT_EQ(CountOn(run.drawing, "Testo"), 1u);
  EXPECT_EQ(CountOn(run.drawing, "Quote"), 35u);
  EXPECT_EQ(run.state.view1.endSpacing, 0);
  EXPECT_EQ(run.state.view1.leftFace, 140);
}

}  // namespace
}  // namespace tessaro
