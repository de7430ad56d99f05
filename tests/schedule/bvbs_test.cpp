// BF2D records: the check value against the published examples of the format, the records
// of a hand-made piece field by field, and the reader on good and broken records.
#include <gtest/gtest.h>

#include "schedule/bvbs.h"
#include "schedule_fixture.h"

namespace tessaro::testing {
namespace {

// Records as the format's guideline and its users publish them, with their check values.
TEST(BvbsChecksum, AgreesWithPublishedRecords) {
  EXPECT_EQ(BvbsChecksum("abcde@C"), 78);
  struct Case {
    const char* record;
    int checksum;
  } cases[] = {
      {"BF2D@HjTestPDF@r417@ia@p1@l1000@n10@e0.888@d12@gB500A@s48@v@Gl400@w90@l600@w0@C", 72},
      {"BF2D@HjOCE-DEMO@r312@ib@p1@l1000@n10@e0.888@d12@gB500B@s48@v@Gl300@w90@l700@w0@C", 93},
  };
  for (const Case& c : cases) EXPECT_EQ(BvbsChecksum(c.record), c.checksum) << c.record;
}

TEST(MandrelDiameter, FourTimesTheBarUpTo16mmSevenTimesAbove) {
  const BvbsOptions options;
  EXPECT_EQ(MandrelDiameter(options, 8), 32);
  EXPECT_EQ(MandrelDiameter(options, 16), 64);
  EXPECT_EQ(MandrelDiameter(options, 20), 140);
}

// The rectangular piece of the schedule tests (30 x 50, 12 bars of 16 mm, 4 + 3 legs).
// Lengths in mm; weights per bar with 3 decimals (0.395 kg/m × 1.49 m = 0.588); legs whose
// running sum is rounded: the hoop's sides 22 + 1.25 and 42 + 1.25 cm give 80, 233, 432,
// 233, 432, 80; the ties turn both hooks through 180 degrees, on opposite sides of the leg.
TEST_F(ScheduleTest, RecordsOfAHandMadePieceFieldByField) {
  WritePiece("A", {{3, "30|50|4|0|300"}, {6, "4Ø16|2Ø16"}, {9, "4Ø8|3Ø8"}});
  WriteIndex("1", {"A"});
  BvbsOptions options;
  options.project = "Palazzina";
  EXPECT_EQ(BvbsText(Schedule("1"), options),
            "BF2D@HjPalazzina@rPilastrata_1@i@p1@l1490@n21@e0.588@d8@gB450C@s32@v@"
            "Gl80@w135@l233@w90@l432@w90@l233@w90@l432@w135@l80@w0@C88@\r\n"
            "BF2D@HjPalazzina@rPilastrata_1@i@p2@l630@n22@e0.249@d8@gB450C@s32@v@"
            "Gl80@w180@l470@w-180@l80@w0@C79@\r\n"
            "BF2D@HjPalazzina@rPilastrata_1@i@p3@l430@n11@e0.170@d8@gB450C@s32@v@"
            "Gl80@w180@l270@w-180@l80@w0@C91@\r\n"
            "BF2D@HjPalazzina@rPilastrata_1@i@p4@l4230@n12@e6.676@d16@gB450C@s64@v@"
            "Gl150@w90@l3930@w90@l150@w0@C93@\r\n");
}

TEST_F(ScheduleTest, AHoopHasNoRecordAndTheStraightBarsOne) {
  WritePiece("A", {{3, "50|0|4|0|300"}, {6, "8Ø16|8Ø16"}});
  WriteIndex("1", {"A"});
  const std::string text = BvbsText(Schedule("1"), BvbsOptions{});
  EXPECT_EQ(text.find("@p1@"), std::string::npos);
  EXPECT_NE(text.find("@p2@l4630@n8@"), std::string::npos) << text;
}

TEST(BvbsRecord, NamesOutsideTheFormatsCharactersAreMadeSafe) {
  ScheduleRow row;
  row.mark = "1";
  row.diameterMm = 12;
  row.count = 1;
  row.cutLength = 100;
  row.legs = {{100, 0}};
  BvbsOptions options;
  options.project = "Caf\xC3\xA9@Nord";
  const std::optional<std::string> record = BvbsRecord(row, "Pilastrata_1", options);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->substr(0, 29), "BF2D@HjCaf___Nord@rPilastrata");  // é is two bytes, then "@"
  std::string error;
  const auto fields = ReadBvbsRecord(*record, error);
  ASSERT_TRUE(fields) << error;
  EXPECT_TRUE(fields->checksumOk);
}

TEST(BvbsRecord, NothingToBendGivesNoRecord) {
  ScheduleRow row;
  row.mark = "1";
  row.diameterMm = 8;
  row.legs = {{8, 180}, {40, -180}, {8, 0}};
  struct Case {
    BarMarkKind kind;
    long count;
    Single length;
    bool record;
  } cases[] = {
      {BarMarkKind::TieLeg, 4, 56, true},
      {BarMarkKind::TieLeg, 0, 56, false},       // a row whose legs found no bar
      {BarMarkKind::TieLeg, 4, 0, false},
      {BarMarkKind::TieLeg, 4, -3, false},
      {BarMarkKind::CircularHoop, 4, 56, false},  // the format has no hoop
  };
  for (const Case& c : cases) {
    row.kind = c.kind;
    row.count = c.count;
    row.cutLength = c.length;
    EXPECT_EQ(BvbsRecord(row, "Pilastrata_1", BvbsOptions{}).has_value(), c.record) << c.count << " " << c.length;
  }
}

TEST(ReadBvbsRecord, ReadsBlocksAndFlagsAWrongCheckValue) {
  std::string error;
  const std::string good = "BF2D@HjTestPDF@r417@ia@p1@l1000@n10@e0.888@d12@gB500A@s48@v@Gl400@w90@l600@w0@C72@";
  const auto fields = ReadBvbsRecord(good, error);
  ASSERT_TRUE(fields) << error;
  EXPECT_EQ(fields->type, "BF2D");
  EXPECT_EQ(fields->Header('j'), "TestPDF");
  EXPECT_EQ(fields->Header('g'), "B500A");
  EXPECT_EQ(fields->Header('l'), "1000");
  ASSERT_EQ(fields->legs.size(), 2u);
  EXPECT_EQ(fields->legs[0], (std::pair<double, double>{400, 90}));
  EXPECT_TRUE(fields->checksumOk);

  std::string wrong = good;
  wrong.replace(wrong.size() - 3, 2, "73");
  const auto flagged = ReadBvbsRecord(wrong, error);
  ASSERT_TRUE(flagged);
  EXPECT_FALSE(flagged->checksumOk);
}

TEST(ReadBvbsRecord, RejectsBrokenRecordsSayingWhy) {
  const char* broken[] = {
      "BF2D",                                        // no field at all
      "BF2D@Hj1@l100@Gl100@w0@",                     // no checksum block
      "BF2D@Hj1@Gl100@l50@w0@C1@",                   // two legs in a row
      "BF2D@Hj1@Gw90@C1@",                           // a bend without its leg
      "BF2D@Hj1@Glx@w0@C1@",                         // a leg that is not a number
      "BF2D@Hj1@Gl100@w0@C1@trailing",               // text after the end
      "BF2D@Hj1",                                    // a field without its "@"
  };
  for (const char* line : broken) {
    std::string error;
    EXPECT_FALSE(ReadBvbsRecord(line, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

}  // namespace
}  // namespace tessaro::testing
