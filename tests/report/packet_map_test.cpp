// The packet map: one text per pack, " P" and a code per element, and the continuation " +"
// when a pack's codes do not fit in the text's 79 characters.
#include "report/packet_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "report/printer.h"
#include "support/param_names.h"
#include "support/state_fixture.h"

namespace {

using test_support::StateTest;

using test_support::ByName;

std::string map_text(const AnalysisState& state) { return std::string(state.map_line); }

// ---------------------------------------------------------------------------------------------
// The code of a packet with a packet header

struct PacketCodeCase {
  const char* name;
  uint8_t stream_id;
  bool is_vob;
  bool substream_known;
  uint8_t substream;
  const char* code;
};

class PacketCodeTest : public StateTest, public ::testing::WithParamInterface<PacketCodeCase> {};

TEST_P(PacketCodeTest, CodeByStreamId) {
  const PacketCodeCase& c = GetParam();
  for (int32_t level : {3, 4}) {
    state_ = std::make_unique<AnalysisState>();
    state().verbose_level = level;
    state().is_vob = c.is_vob;
    state().substream_known = c.substream_known;
    state().current_substream = c.substream;
    const std::string text = printed([&] {
      begin_map_line(state());
      append_packet_code(state(), c.stream_id);
    });
    EXPECT_EQ(text, "");
    EXPECT_EQ(map_text(state()), std::string(" P") + c.code) << "level " << level;
  }
}

INSTANTIATE_TEST_SUITE_P(
    StreamIds, PacketCodeTest,
    ::testing::Values(
        PacketCodeCase{"video_0", 0xE0, false, false, 0, "v0"},
        PacketCodeCase{"video_9", 0xE9, false, false, 0, "v9"},
        PacketCodeCase{"video_10", 0xEA, false, false, 0, "v10"},
        PacketCodeCase{"video_15", 0xEF, true, true, 0x80, "v15"},
        PacketCodeCase{"audio_0", 0xC0, false, false, 0, "a0"},
        PacketCodeCase{"audio_31", 0xDF, false, false, 0, "a31"},
        PacketCodeCase{"private1_not_dvd", 0xBD, false, true, 0x80, "1"},
        PacketCodeCase{"private1_dvd_no_substream_yet", 0xBD, true, false, 0x00, "1"},
        PacketCodeCase{"private1_dvd_ac3", 0xBD, true, true, 0x81, "181"},
        PacketCodeCase{"private1_dvd_substream_00", 0xBD, true, true, 0x00, "100"},
        PacketCodeCase{"private1_dvd_substream_0A", 0xBD, true, true, 0x0A, "10A"},
        PacketCodeCase{"private1_dvd_pcm_15", 0xBD, true, true, 0xAF, "1AF"},
        PacketCodeCase{"private1_dvd_substream_FF", 0xBD, true, true, 0xFF, "1FF"},
        PacketCodeCase{"other_00", 0x00, false, false, 0, "o"},
        PacketCodeCase{"other_B8", 0xB8, true, true, 0x80, "o"},
        PacketCodeCase{"other_F3", 0xF3, false, false, 0, "o"},
        PacketCodeCase{"other_F7", 0xF7, false, false, 0, "o"},
        PacketCodeCase{"other_F9", 0xF9, false, false, 0, "o"},
        PacketCodeCase{"other_FE", 0xFE, false, false, 0, "o"}),
    ByName());

using PacketMapTest = StateTest;

TEST_F(PacketMapTest, NoPacketCodeAtLevels1And2) {
  for (int32_t level : {1, 2}) {
    state_ = std::make_unique<AnalysisState>();
    state().verbose_level = level;
    const std::string text = printed([&] {
      append_packet_code(state(), 0xE0);
      append_packet_code(state(), 0xBD);
      flush_map_line(state());
    });
    EXPECT_EQ(text, "");
    EXPECT_EQ(map_text(state()), "") << "level " << level;
  }
}

// ---------------------------------------------------------------------------------------------
// Pack texts

TEST_F(PacketMapTest, EachPackHeaderPrintsThePreviousTextAndStartsAnother) {
  state().verbose_level = 3;
  std::vector<std::string> after_each;
  const std::string text = printed([&] {
    begin_map_line(state());  // nothing before the first pack
    after_each.push_back(map_text(state()));
    append_map_code(state(), "S");
    append_packet_code(state(), 0xE0);
    append_map_code(state(), "2");
    after_each.push_back(map_text(state()));
    begin_map_line(state());
    begin_map_line(state());  // a pack without any element
    append_packet_code(state(), 0xC1);
    append_map_code(state(), "E");
    flush_map_line(state());
  });
  EXPECT_EQ(after_each, (std::vector<std::string>{" P", " PSv02"}));
  EXPECT_EQ(text, "\n PSv02\n P\n Pa1E");
}

TEST_F(PacketMapTest, FlushPrintsNothingBeforeAnyPack) {
  state().verbose_level = 4;
  EXPECT_EQ(printed([&] { flush_map_line(state()); }), "");
}

// ---------------------------------------------------------------------------------------------
// Continuation: before a code is appended, a text that would pass 79 characters is printed
// and the pack goes on as " +".

TEST_F(PacketMapTest, SeventyNineCharactersFit) {
  state().verbose_level = 3;
  const std::string text = printed([&] {
    begin_map_line(state());
    for (int i = 0; i < 77; ++i) append_map_code(state(), "o");
  });
  EXPECT_EQ(text, "");
  EXPECT_EQ(map_text(state()), " P" + std::string(77, 'o'));
  EXPECT_EQ(state().map_line_length, 79);
}

TEST_F(PacketMapTest, TheEightiethCharacterStartsAContinuation) {
  state().verbose_level = 3;
  const std::string text = printed([&] {
    begin_map_line(state());
    for (int i = 0; i < 78; ++i) append_map_code(state(), "o");
    EXPECT_EQ(map_text(state()), " +o");
    flush_map_line(state());
  });
  // 79 characters on one line; " +o" does not fit behind them.
  EXPECT_EQ(text, "\n P" + std::string(77, 'o') + "\n +o");
}

TEST_F(PacketMapTest, ACodeThatWouldPass79MovesWhole) {
  state().verbose_level = 3;
  const std::string text = printed([&] {
    begin_map_line(state());
    for (int i = 0; i < 38; ++i) append_packet_code(state(), 0xE0);  // " P" and 76 characters
    append_map_code(state(), "o");                                     // 79
    append_packet_code(state(), 0xEA);                                 // "v10" does not fit
    append_packet_code(state(), 0xE0);
    flush_map_line(state());
  });
  std::string v0s;
  for (int i = 0; i < 38; ++i) v0s += "v0";
  EXPECT_EQ(text, "\n P" + v0s + "o\n +v10v0");
}

TEST_F(PacketMapTest, Level4HeaderCodesOfOnePacketSplitBetweenTexts) {
  state().verbose_level = 4;
  const std::string text = printed([&] {
    begin_map_line(state());
    for (int i = 0; i < 6; ++i) {  // 14 characters per packet
      append_map_code(state(), "PTSDTS");
      append_map_code(state(), "P-STD");
      append_packet_code(state(), 0xEF);
    }
    flush_map_line(state());
  });
  const std::string packet = "PTSDTSP-STDv15";
  // " P" + 5 packets = 72, "PTSDTS" makes 78, "P-STD" would make 83.
  EXPECT_EQ(text, "\n P" + packet + packet + packet + packet + packet + "PTSDTS" +
                      "\n +P-STDv15");
}

// A pack with many packets: every code is printed once, in order, and no text or line is
// longer than its limit.
struct ManyCodesCase {
  const char* name;
  int32_t level;
  int packets;
};

class ManyCodesTest : public StateTest, public ::testing::WithParamInterface<ManyCodesCase> {};

TEST_P(ManyCodesTest, NoCodeLostAndNothingOverruns) {
  const ManyCodesCase& c = GetParam();
  state().verbose_level = c.level;
  state().is_vob = true;
  std::string codes;  // every code in the order appended
  int32_t longest = 0;
  const std::string text = printed([&] {
    begin_map_line(state());
    append_map_code(state(), "S");
    codes += "S";
    for (int i = 0; i < c.packets; ++i) {
      const auto stream_id = static_cast<uint8_t>(i % 3 == 0 ? 0xE0 + i % 16 : 0xBD);
      state().substream_known = true;
      state().current_substream = static_cast<uint8_t>(0x80 + i % 8);
      if (c.level == 4 && i % 2 == 0) {
        append_map_code(state(), "PTSDTS");
        codes += "PTSDTS";
      }
      if (c.level == 4 && i % 3 == 0) {
        append_map_code(state(), "P-STD");
        codes += "P-STD";
      }
      append_packet_code(state(), stream_id);
      if (stream_id == 0xBD) {
        codes += "18";
        codes += std::to_string(i % 8);
      } else {
        codes += "v";
        codes += std::to_string(i % 16);
      }
      longest = std::max(longest, state().map_line_length);
      ASSERT_EQ(std::strlen(state().map_line), static_cast<size_t>(state().map_line_length));
    }
    append_map_code(state(), "E");
    codes += "E";
    flush_map_line(state());
  });
  EXPECT_LE(longest, 79);

  // Split the output into lines and the lines into texts (each starts " P" or " +").
  std::string joined;
  size_t at = 0;
  ASSERT_EQ(text.compare(0, 3, "\n P"), 0);
  while (at < text.size()) {
    ASSERT_EQ(text[at], '\n');
    const size_t end = std::min(text.find('\n', at + 1), text.size());
    const std::string line = text.substr(at + 1, end - at - 1);
    EXPECT_LE(line.size(), 80u) << line;
    ASSERT_GE(line.size(), 2u);
    for (size_t t = 0; t < line.size();) {
      const size_t next = std::min({line.find(" P", t + 2), line.find(" +", t + 2), line.size()});
      const std::string piece = line.substr(t, next - t);
      EXPECT_LE(piece.size(), 79u) << piece;
      EXPECT_TRUE(piece.compare(0, 2, t == 0 && at == 0 ? " P" : " +") == 0) << piece;
      joined += piece.substr(2);
      t = next;
    }
    at = end;
  }
  EXPECT_EQ(joined, codes);
}

INSTANTIATE_TEST_SUITE_P(Packs, ManyCodesTest,
                         ::testing::Values(ManyCodesCase{"level3_forty", 3, 40},
                                           ManyCodesCase{"level3_three_hundred", 3, 300},
                                           ManyCodesCase{"level4_forty", 4, 40},
                                           ManyCodesCase{"level4_three_hundred", 4, 300}),
                         ByName());

}  // namespace
