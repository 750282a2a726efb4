// The levelled printer: which messages each verbose level writes, and the layout of the
// packet-map texts at levels 3 and 4 (lines of at most 80 characters, a new line whenever
// the third character of a text differs from that of the text before it).
#include "report/printer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/param_names.h"
#include "support/state_fixture.h"

namespace {

using test_support::StateTest;

using test_support::ByName;

// ---------------------------------------------------------------------------------------------
// Message levels

struct LevelCase {
  const char* name;
  int32_t verbose_level;
  int message_level;
  const char* format;
  int64_t value;
  const char* expected;
};

class MessageLevelTest : public StateTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(MessageLevelTest, WrittenOnlyWhereTheLevelShowsIt) {
  const LevelCase& c = GetParam();
  state().verbose_level = c.verbose_level;
  EXPECT_EQ(printed([&] { print_level(state(), c.message_level, c.format, c.value); }),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Grid, MessageLevelTest,
    ::testing::Values(
        LevelCase{"level1_headline", 1, 1, "  packet #%d\n", 7, "  packet #7\n"},
        LevelCase{"level1_detail_dropped", 1, 2, "  packet_length = %d\n", 7, ""},
        LevelCase{"level1_map_text_dropped", 1, 3, " Pv0", 0, ""},
        LevelCase{"level2_headline", 2, 1, "  packet #%d\n", 7, "  packet #7\n"},
        LevelCase{"level2_detail", 2, 2, "  packet_length = %d\n", 2048, "  packet_length = 2048\n"},
        LevelCase{"level2_map_text_dropped", 2, 3, " Pv0", 0, ""},
        LevelCase{"level3_headline_dropped", 3, 1, "  packet #%d\n", 7, ""},
        LevelCase{"level3_detail_dropped", 3, 2, "  packet_length = %d\n", 7, ""},
        LevelCase{"level3_map_text", 3, 3, " Pv0", 0, "\n Pv0"},
        LevelCase{"level4_headline_dropped", 4, 1, "  packet #%d\n", 7, ""},
        LevelCase{"level4_detail_dropped", 4, 2, "  packet_length = %d\n", 7, ""},
        LevelCase{"level4_map_text", 4, 3, " Pv0", 0, "\n Pv0"},
        // The conversions the messages use.
        LevelCase{"no_conversion", 1, 1, "\n\nSome heading\n", 12345, "\n\nSome heading\n"},
        LevelCase{"eight_hex_digits", 1, 1, "\n\nmpeg_program_end_code = %08X\n", 0x1B9,
                  "\n\nmpeg_program_end_code = 000001B9\n"},
        LevelCase{"six_hex_digits", 2, 1, "\npacket_start_code_prefix = %06X\n", 1,
                  "\npacket_start_code_prefix = 000001\n"},
        LevelCase{"two_hex_digits", 1, 1, "  stream_id = %02X, ", 0xE3, "  stream_id = E3, "},
        LevelCase{"two_hex_digits_small", 1, 1, "  stream_id = %02X, ", 0x0A,
                  "  stream_id = 0A, "},
        LevelCase{"negative_decimal", 2, 2, "  value = %d\n", -5, "  value = -5\n"},
        LevelCase{"large_decimal", 2, 2, "  value = %d\n", 4194303, "  value = 4194303\n"}),
    ByName());

TEST_F(MessageLevelTest, MessagesAtLevels3And4LeaveTheMapLayoutAlone) {
  for (int32_t level : {3, 4}) {
    state_ = std::make_unique<AnalysisState>();
    state().verbose_level = level;
    const std::string text = printed([&] {
      print_level(state(), 3, " Pv0", 0);
      print_level(state(), 1, "\n\nPACK #%d, ", 1);
      print_level(state(), 2, "  marker bit = %d\n", 1);
      print_level(state(), 3, " Pv1", 0);
    });
    EXPECT_EQ(text, "\n Pv0 Pv1") << "level " << level;
    EXPECT_EQ(state().map_column, 8);
  }
}

// ---------------------------------------------------------------------------------------------
// Map layout

std::string repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

struct LayoutCase {
  const char* name;
  std::vector<std::string> texts;
  std::string expected;
  int32_t column_after;
};

class MapLayoutTest : public StateTest,
                      public ::testing::WithParamInterface<std::tuple<LayoutCase, int32_t>> {};

TEST_P(MapLayoutTest, LinesOfAtMost80AndANewLineWhenTheThirdCharacterChanges) {
  const LayoutCase& c = std::get<0>(GetParam());
  state().verbose_level = std::get<1>(GetParam());
  const std::string text = printed([&] {
    for (const std::string& t : c.texts) print_level(state(), 3, t.c_str(), 0);
  });
  EXPECT_EQ(text, c.expected);
  EXPECT_EQ(state().map_column, c.column_after);
}

const std::string k81(" Pv" + std::string(78, '0'));  // 81 characters, third one v
const std::string k80(" Pv" + std::string(77, '1'));  // 80 characters, third one v

const LayoutCase kLayoutCases[] = {
    // The empty text before the first one counts as having NUL as its third character.
    {"first_text_starts_a_line", {" PS"}, "\n PS", 3},
    {"first_short_text_stays", {" P"}, " P", 2},
    {"short_texts_share_the_nul", {" P", " P", "x"}, " P Px", 5},
    {"short_text_after_a_long_one", {" Pv0", " P", " P"}, "\n Pv0\n P P", 4},
    {"long_text_after_short_ones", {" P", " PS"}, " P\n PS", 3},
    {"same_third_character_shares_the_line", {" Pv0", " Pv1", " Pv15"}, "\n Pv0 Pv1 Pv15", 13},
    {"other_third_character_starts_a_line", {" Pv0", " Pv1", " PS", " PSv0"},
     "\n Pv0 Pv1\n PS PSv0", 8},
    {"only_the_third_character_counts", {" PS", "xxS", "abSolute"}, "\n PSxxSabSolute", 14},
    {"level4_codes_by_third_character", {" PPTSv0", " PP-STDv0", " Pv0", " PPTSDTSv0"},
     "\n PPTSv0 PP-STDv0\n Pv0\n PPTSDTSv0", 10},
    // Width: 80 characters fit, 81 do not.
    {"column_75_plus_5_fits", {repeat(" Pv0v", 15), " Pv0v"}, "\n" + repeat(" Pv0v", 16), 80},
    {"column_75_plus_6_wraps", {repeat(" Pv0v", 15), " Pv0v0"},
     "\n" + repeat(" Pv0v", 15) + "\n Pv0v0", 6},
    {"sixteen_texts_of_5_then_one_more",
     {" Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v",
      " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v", " Pv0v"},
     "\n" + repeat(" Pv0v", 16) + "\n Pv0v", 5},
    {"text_of_80_fills_a_line", {k80, " Pv"}, "\n" + k80 + "\n Pv", 3},
    {"text_of_81_is_written_whole", {k81}, "\n" + k81, 81},
    {"text_after_one_of_81_starts_a_line", {k81, " Pv", " Pv"}, "\n" + k81 + "\n Pv Pv", 6},
    {"text_of_81_in_the_middle_of_a_line", {" Pv0", k81, " Pv0"},
     "\n Pv0\n" + k81 + "\n Pv0", 4},
    {"text_of_200", {" Pv0", " Pv" + std::string(197, '7'), " Pv0"},
     "\n Pv0\n Pv" + std::string(197, '7') + "\n Pv0", 4},
};

INSTANTIATE_TEST_SUITE_P(
    Cases, MapLayoutTest,
    ::testing::Combine(::testing::ValuesIn(kLayoutCases), ::testing::Values(3, 4)),
    [](const ::testing::TestParamInfo<std::tuple<LayoutCase, int32_t>>& p) {
      return std::string(std::get<0>(p.param).name) + "_level" +
             std::to_string(std::get<1>(p.param));
    });

TEST_F(MapLayoutTest, NothingIsResetBetweenCalls) {
  // The layout state lives for the whole run: a text printed much later still continues the
  // line of the text before it.
  state().verbose_level = 3;
  const std::string text = printed([&] {
    for (int i = 0; i < 40; ++i) {
      print_level(state(), 3, " P1A0", 0);
      print_level(state(), 2, "dropped\n", 0);
    }
  });
  // 40 texts of 5: lines of 16, 16 and 8.
  const std::string expected = "\n" + repeat(" P1A0", 16) + "\n" + repeat(" P1A0", 16) + "\n" + repeat(" P1A0", 8);
  EXPECT_EQ(text, expected);
  EXPECT_EQ(state().map_column, 40);
}

}  // namespace
