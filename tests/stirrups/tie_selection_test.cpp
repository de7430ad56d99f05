// The bar selection of the tie rows, position by position: every cell of the small-count
// table, the single-bar row, a longer row, and how k and m come from each row member.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "stirrups/tie_rows.h"

namespace tessaro {
namespace {

// "2,4,5 / 6", or "- / 0" when no position is selected.
std::string Show(const TieSelection& s) {
  std::string text;
  for (const Integer i : s.positions) text += (text.empty() ? "" : ",") + std::to_string(i);
  if (text.empty()) text = "-";
  return text + " / " + std::to_string(s.finalIndex);
}

struct SelectionCell {
  Integer k;
  Integer m;
  const char* expected;
};

// Rows k = 1..6, columns m = 2..10.
const std::vector<SelectionCell> kTable = {
    {1, 2, "2 / 3"}, {1, 3, "2 / 3"}, {1, 4, "2 / 4"}, {1, 5, "3 / 3"}, {1, 6, "4 / 4"},
    {1, 7, "4 / 4"}, {1, 8, "5 / 5"}, {1, 9, "5 / 5"}, {1, 10, "6 / 6"},

    {2, 2, "1,2 / 3"}, {2, 3, "1,3 / 4"}, {2, 4, "2,3 / 4"}, {2, 5, "2,4 / 5"}, {2, 6, "2,4,5 / 6"},
    {2, 7, "2,6 / 7"}, {2, 8, "2,7 / 7"}, {2, 9, "2,8 / 8"}, {2, 10, "2,9 / 9"},

    {3, 2, "- / 0"}, {3, 3, "1,2,3 / 4"}, {3, 4, "1,3,4 / 5"}, {3, 5, "2,3,4 / 5"}, {3, 6, "2,3,5 / 6"},
    {3, 7, "2,4,6 / 7"}, {3, 8, "2,4,7 / 8"}, {3, 9, "2,8,5 / 5"}, {3, 10, "2,9,6 / 6"},

    {4, 2, "- / 0"}, {4, 3, "- / 0"}, {4, 4, "1,2,3,4 / 5"}, {4, 5, "1,2,4,5 / 6"}, {4, 6, "2,3,4,5 / 6"},
    {4, 7, "2,3,5,6 / 7"}, {4, 8, "2,4,5,7 / 8"}, {4, 9, "2,4,6,8 / 9"}, {4, 10, "2,5,7,9 / 10"},

    {5, 2, "- / 0"}, {5, 3, "- / 0"}, {5, 4, "- / 0"}, {5, 5, "1,2,3,4,5 / 6"}, {5, 6, "1,2,4,5,6 / 7"},
    {5, 7, "2,3,4,5,6 / 7"}, {5, 8, "2,3,4,6,7 / 8"}, {5, 9, "2,4,5,6,8 / 9"}, {5, 10, "2,4,5,7,9 / 10"},

    {6, 2, "- / 0"}, {6, 3, "- / 0"}, {6, 4, "- / 0"}, {6, 5, "- / 0"}, {6, 6, "1,2,3,4,5,6 / 7"},
    {6, 7, "1,2,3,5,6,7 / 8"}, {6, 8, "2,3,4,5,6,7 / 8"}, {6, 9, "2,3,4,6,7,8 / 9"},
    {6, 10, "2,4,5,6,7,9 / 10"},
};

void PrintTo(const SelectionCell& c, std::ostream* os) { *os << "k = " << c.k << ", m = " << c.m; }

class SelectionTable : public ::testing::TestWithParam<SelectionCell> {};

TEST_P(SelectionTable, PositionsAndFinalIndex) {
  const SelectionCell& cell = GetParam();
  EXPECT_EQ(Show(SelectTieBars(cell.k, cell.m)), cell.expected)
      << "k = " << cell.k << ", m = " << cell.m << " (d = " << cell.m - cell.k << ")";
}

INSTANTIATE_TEST_SUITE_P(SmallCounts, SelectionTable, ::testing::ValuesIn(kTable),
                         [](const ::testing::TestParamInfo<SelectionCell>& info) {
                           return "k" + std::to_string(info.param.k) + "_m" + std::to_string(info.param.m);
                         });

TEST(TieSelection, SingleBarRowGetsItsLegAndEndsPastIt) {
  EXPECT_EQ(Show(SelectTieBars(1, 1)), "1 / 2");
}

TEST(TieSelection, LongRowFollowsTheSkipsAtBothEnds) {
  // d = 8: skips at 1, 3, 5 and at m - 6 = 6, m - 4 = 8, m - 2 = 10; five legs for k = 4.
  EXPECT_EQ(Show(SelectTieBars(4, 12)), "2,4,7,9,11 / 12");
}

TEST(TieSelection, FixedPlacementsOfOneToThreeLegsInLongRows) {
  EXPECT_EQ(Show(SelectTieBars(1, 20)), "11 / 11");
  EXPECT_EQ(Show(SelectTieBars(2, 20)), "2,19 / 19");
  EXPECT_EQ(Show(SelectTieBars(3, 20)), "2,19,11 / 11");
}

TEST(TieSelection, NoLegsToPlaceOrNoPositions) {
  EXPECT_EQ(Show(SelectTieBars(1, 0)), "- / 0");
  EXPECT_EQ(Show(SelectTieBars(2, -3)), "- / 0");
}

TEST(TieSelection, ReportsPositionsAsFoundBeforeAnOverflowOfTheIndex) {
  // Every position of a full 16-bit row is used; stepping past the last one overflows.
  Integer reported = 0;
  Integer last = 0;
  try {
    ForEachSelectedBar(32767, 32767, [&](Integer i) {
      ++reported;
      last = i;
    });
    FAIL() << "the index past 32767 should overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Overflow);
  }
  EXPECT_EQ(reported, 32767);
  EXPECT_EQ(last, 32767);
}

TEST(TieSelection, DifferenceOutOfRangeOverflows) {
  try {
    SelectTieBars(-2, 32767);
    FAIL() << "m - k beyond 32767 should overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Overflow);
  }
}

struct CountCase {
  TieRowMember member;
  bool split;
  Integer k, m;  // for legCount 8 and barCount 10
};

TEST(TieRowCounts, EachMemberCountsLegsAndBarsItsOwnWay) {
  const std::vector<CountCase> cases = {
      {TieRowMember::TieRowX1, false, 6, 8}, {TieRowMember::TieRowX1, true, 6, 8},
      {TieRowMember::TieRowX2, false, 6, 10}, {TieRowMember::TieRowX2, true, 4, 10},
      {TieRowMember::TieRowX3, false, 6, 8}, {TieRowMember::TieRowX3, true, 6, 8},
      {TieRowMember::TieRowX4, false, 6, 10}, {TieRowMember::TieRowX4, true, 4, 10},
      {TieRowMember::TieRowY1, false, 6, 10}, {TieRowMember::TieRowY1, true, 4, 10},
      {TieRowMember::TieRowY2, false, 6, 8}, {TieRowMember::TieRowY2, true, 6, 8},
      {TieRowMember::TieRowY3, false, 6, 10}, {TieRowMember::TieRowY3, true, 4, 10},
      {TieRowMember::TieRowY4, false, 6, 8}, {TieRowMember::TieRowY4, true, 6, 8},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(std::string(TieRowName(c.member)) + (c.split ? " split" : " not split"));
    const TieRowCounts counts = CountTieRow(c.member, 8, 10, c.split);
    EXPECT_EQ(counts.k, c.k);
    EXPECT_EQ(counts.m, c.m);
  }
}

TEST(TieRowCounts, LegCountAtTheBottomOfTheRangeOverflows) {
  try {
    CountTieRow(TieRowMember::TieRowX1, -32768, 4, false);
    FAIL() << "-32768 - 2 should overflow";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Overflow);
  }
}

}  // namespace
}  // namespace tessaro
