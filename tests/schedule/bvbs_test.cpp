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

// The pieces of the schedule tests, record by record up to the check value (which the
// reader checks): lengths, weights (0.395 kg/m × 1.564 m = 0.617), mandrels and legs as
// worked out by hand in schedule_test.cpp. Ties hook on opposite sides of the leg; the
// hoop is one curved leg of outside radius 226 between its hooks.
TEST_F(ScheduleTest, RecordsOfHandMadePiecesFieldByField) {
  struct Case {
    const char* bars;
    const char* section;
    std::vector<std::string> records;
  } cases[] = {
      {"4Ø16|2Ø16", "30|50|4|0|300",
       {"@p1@l1564@n21@e0.617@d8@gB450C@s32@v@Gl104@w135@l252@w90@l452@w90@l252@w90@l452@w135@l104@w0@C",
        "@p2@l658@n22@e0.260@d8@gB450C@s32@v@Gl104@w135@l452@w-135@l104@w0@C",
        "@p3@l458@n11@e0.181@d8@gB450C@s32@v@Gl104@w135@l252@w-135@l104@w0@C",
        "@p4@l4230@n12@e6.676@d16@gB450C@s64@v@Gl150@w90@l3996@w90@l150@w0@C"}},
      {"8Ø16|8Ø16", "50|0|4|0|300",
       {"@p1@l1649@n21@e0.651@d8@gB450C@s32@v@Gl104@w135@l1443@r226@w135@l104@w0@C",
        "@p2@l4630@n8@e7.308@d16@gB450C@s64@v@Gl350@w90@l3996@w90@l350@w0@C"}},
  };
  BvbsOptions options;
  options.project = "Palazzina";
  for (const Case& c : cases) {
    WritePiece("A", {{3, c.section}, {6, c.bars}, {9, "4Ø8|3Ø8"}});
    WriteIndex("1", {"A"});
    const std::string text = BvbsText(Schedule("1"), options);
    std::size_t at = 0;
    for (const std::string& record : c.records) {
      const std::string head = "BF2D@HjPalazzina@rPilastrata_1@i" + record;
      ASSERT_EQ(text.compare(at, head.size(), head), 0) << text.substr(at);
      const std::size_t end = text.find("\r\n", at);
      std::string error;
      const auto fields = ReadBvbsRecord(text.substr(at, end - at), error);
      ASSERT_TRUE(fields) << error;
      EXPECT_TRUE(fields->checksumOk);
      at = end + 2;
    }
    EXPECT_EQ(at, text.size());
  }
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
  row.legs = {{104, 135}, {400, -135}, {104, 0}};
  // Kind, count, length, whether there is a record: a row whose legs found no bar has none;
  // a hoop is a curved leg.
  for (const auto& [kind, count, length, record] :
       {std::tuple{BarMarkKind::TieLeg, 4L, 56.0f, true}, {BarMarkKind::TieLeg, 0L, 56.0f, false},
        {BarMarkKind::TieLeg, 4L, 0.0f, false}, {BarMarkKind::TieLeg, 4L, -3.0f, false},
        {BarMarkKind::CircularHoop, 4L, 56.0f, true}}) {
    row.kind = kind;
    row.count = count;
    row.cutLength = length;
    EXPECT_EQ(BvbsRecord(row, "Pilastrata_1", BvbsOptions{}).has_value(), record) << count << " " << length;
  }
}

TEST(ReadBvbsRecord, ReadsBlocksFlagsAWrongCheckValueAndRejectsBrokenRecords) {
  std::string error;
  const std::string good = "BF2D@HjTestPDF@r417@ia@p1@l1000@n10@e0.888@d12@gB500A@s48@v@Gl400@w90@l600@w0@C72@";
  const auto fields = ReadBvbsRecord(good, error);
  ASSERT_TRUE(fields) << error;
  EXPECT_EQ(fields->Header('g') + fields->Header('l'), "B500A1000");
  EXPECT_EQ(fields->legs, (std::vector<std::pair<double, double>>{{400, 90}, {600, 0}}));
  EXPECT_TRUE(fields->checksumOk);
  EXPECT_FALSE(ReadBvbsRecord(std::string(good).replace(good.size() - 3, 2, "73"), error)->checksumOk);
  // No checksum block, two legs in a row, a bend without its leg, text after the end.
  for (const char* line : {"BF2D@Hj1@l100@Gl100@w0@", "BF2D@Hj1@Gl100@l50@w0@C1@", "BF2D@Hj1@Gw90@C1@",
                           "BF2D@Hj1@Gl100@w0@C1@trailing"}) {
    EXPECT_FALSE(ReadBvbsRecord(line, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

}  // namespace
}  // namespace tessaro::testing
