// The run's counters: booking a payload (with the DVD substream totals) and the closing summary.
#include "stats/stream_stats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "report/packet_map.h"
#include "support/param_names.h"
#include "support/state_fixture.h"

namespace {

using test_support::StateTest;

using test_support::ByName;

uint64_t sum(const uint64_t* table, int entries) {
  uint64_t total = 0;
  for (int i = 0; i < entries; ++i) total += table[i];
  return total;
}

// ---------------------------------------------------------------------------------------------
// account_payload

enum class Kind { none, ac3, dts, pcm, subpicture };

struct PayloadCase {
  const char* name;
  uint8_t stream_id;
  bool is_vob;
  bool substream_known;
  uint8_t substream;
  int64_t count;
  bool books_substream;  // packets_by_substream and bytes_by_substream change
  Kind kind;
  int kind_index;
  uint64_t kind_bytes;
};

class AccountPayloadTest : public StateTest, public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(AccountPayloadTest, BooksTheStreamAndTheSubstream) {
  const PayloadCase& c = GetParam();
  for (int32_t level : {1, 2, 3, 4}) {
    state_ = std::make_unique<AnalysisState>();
    AnalysisState& s = state();
    s.verbose_level = level;
    s.is_vob = c.is_vob;
    s.substream_known = c.substream_known;
    s.current_substream = c.substream;
    if (level > 2) begin_map_line(s);
    printed([&] { account_payload(s, c.stream_id, c.count); });
    SCOPED_TRACE("level " + std::to_string(level));

    const StreamStats& st = s.stats;
    EXPECT_EQ(st.bytes_by_stream[c.stream_id], static_cast<uint64_t>(c.count));
    EXPECT_EQ(sum(st.bytes_by_stream, 256), static_cast<uint64_t>(c.count));
    EXPECT_EQ(sum(st.packets_by_stream, 256), 0u) << "packets are counted by the packet layer";
    EXPECT_EQ(st.pack_count, 0u);
    EXPECT_EQ(sum(st.packets_by_substream, 256), c.books_substream ? 1u : 0u);
    EXPECT_EQ(sum(st.bytes_by_substream, 256),
              c.books_substream ? static_cast<uint64_t>(c.count) : 0u);
    if (c.books_substream) {
      EXPECT_EQ(st.packets_by_substream[c.substream], 1u);
      EXPECT_EQ(st.bytes_by_substream[c.substream], static_cast<uint64_t>(c.count));
    }
    const uint64_t ac3 = c.kind == Kind::ac3 ? c.kind_bytes : 0;
    const uint64_t dts = c.kind == Kind::dts ? c.kind_bytes : 0;
    const uint64_t pcm = c.kind == Kind::pcm ? c.kind_bytes : 0;
    const uint64_t sub = c.kind == Kind::subpicture ? c.kind_bytes : 0;
    EXPECT_EQ(sum(st.ac3_bytes, 8), ac3);
    EXPECT_EQ(sum(st.dts_bytes, 8), dts);
    EXPECT_EQ(sum(st.pcm_bytes, 16), pcm);
    EXPECT_EQ(sum(st.subpicture_bytes, 32), sub);
    switch (c.kind) {
      case Kind::ac3: EXPECT_EQ(st.ac3_bytes[c.kind_index], c.kind_bytes); break;
      case Kind::dts: EXPECT_EQ(st.dts_bytes[c.kind_index], c.kind_bytes); break;
      case Kind::pcm: EXPECT_EQ(st.pcm_bytes[c.kind_index], c.kind_bytes); break;
      case Kind::subpicture: EXPECT_EQ(st.subpicture_bytes[c.kind_index], c.kind_bytes); break;
      case Kind::none: break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, AccountPayloadTest,
    ::testing::Values(
        PayloadCase{"video", 0xE0, false, false, 0, 100, false, Kind::none, 0, 0},
        PayloadCase{"video_in_dvd_file", 0xE2, true, true, 0x80, 100, false, Kind::none, 0, 0},
        PayloadCase{"audio", 0xC5, true, true, 0x80, 7, false, Kind::none, 0, 0},
        PayloadCase{"empty_payload", 0xE0, false, false, 0, 0, false, Kind::none, 0, 0},
        PayloadCase{"empty_dvd_private1", 0xBD, true, true, 0x80, 0, false, Kind::none, 0, 0},
        PayloadCase{"private1_not_dvd", 0xBD, false, true, 0x80, 10, false, Kind::none, 0, 0},
        PayloadCase{"private1_dvd_no_substream_yet", 0xBD, true, false, 0x80, 10, false,
                    Kind::none, 0, 0},
        PayloadCase{"ac3_first", 0xBD, true, true, 0x80, 10, true, Kind::ac3, 0, 6},
        PayloadCase{"ac3_last", 0xBD, true, true, 0x87, 2048, true, Kind::ac3, 7, 2044},
        PayloadCase{"ac3_header_only", 0xBD, true, true, 0x83, 4, true, Kind::ac3, 3, 0},
        PayloadCase{"ac3_shorter_than_its_header", 0xBD, true, true, 0x83, 3, true, Kind::ac3, 3,
                    0},
        PayloadCase{"ac3_id_only", 0xBD, true, true, 0x81, 1, true, Kind::ac3, 1, 0},
        PayloadCase{"dts_first", 0xBD, true, true, 0x88, 5, true, Kind::dts, 0, 4},
        PayloadCase{"dts_last_id_only", 0xBD, true, true, 0x8F, 1, true, Kind::dts, 7, 0},
        PayloadCase{"pcm_first", 0xBD, true, true, 0xA0, 2, true, Kind::pcm, 0, 1},
        PayloadCase{"pcm_last", 0xBD, true, true, 0xAF, 2000, true, Kind::pcm, 15, 1999},
        PayloadCase{"subpicture_first", 0xBD, true, true, 0x20, 52, true, Kind::subpicture, 0,
                    51},
        PayloadCase{"subpicture_last", 0xBD, true, true, 0x3F, 9, true, Kind::subpicture, 31, 8},
        PayloadCase{"substream_00", 0xBD, true, true, 0x00, 11, true, Kind::none, 0, 0},
        PayloadCase{"substream_1F", 0xBD, true, true, 0x1F, 11, true, Kind::none, 0, 0},
        PayloadCase{"substream_40", 0xBD, true, true, 0x40, 11, true, Kind::none, 0, 0},
        PayloadCase{"substream_90", 0xBD, true, true, 0x90, 11, true, Kind::none, 0, 0},
        PayloadCase{"substream_9F", 0xBD, true, true, 0x9F, 11, true, Kind::none, 0, 0},
        PayloadCase{"substream_B0", 0xBD, true, true, 0xB0, 11, true, Kind::none, 0, 0},
        PayloadCase{"substream_FF", 0xBD, true, true, 0xFF, 11, true, Kind::none, 0, 0}),
    ByName());

using StreamStatsTest = StateTest;

TEST_F(StreamStatsTest, DataLineAtLevel2Only) {
  const char* expected[] = {"", "  read 37 PES packet data bytes\n", "", ""};
  for (int32_t level : {1, 2, 3, 4}) {
    state_ = std::make_unique<AnalysisState>();
    state().verbose_level = level;
    EXPECT_EQ(printed([&] { account_payload(state(), 0xE0, 37); }), expected[level - 1])
        << "level " << level;
    // An empty payload prints no line at any level.
    EXPECT_EQ(printed([&] { account_payload(state(), 0xE0, 0); }), "") << "level " << level;
  }
}

TEST_F(StreamStatsTest, MapCodeAppendedAlsoForAnEmptyPayload) {
  state().verbose_level = 3;
  state().is_vob = true;
  begin_map_line(state());
  account_payload(state(), 0xE1, 0);
  account_payload(state(), 0xBD, 0);  // no substream known yet
  state().substream_known = true;
  state().current_substream = 0x8F;
  account_payload(state(), 0xBD, 12);
  account_payload(state(), 0xBD, 0);  // keeps the substream of the packet before
  EXPECT_EQ(std::string(state().map_line), " Pv1118F18F");
  EXPECT_EQ(state().stats.packets_by_substream[0x8F], 1u);
  EXPECT_EQ(state().stats.bytes_by_stream[0xBD], 12u);
}

TEST_F(StreamStatsTest, TotalsAddUpOverPackets) {
  state().is_vob = true;
  state().substream_known = true;
  const struct {
    uint8_t substream;
    int64_t count;
  } packets[] = {{0x80, 10}, {0x80, 2}, {0x80, 2044}, {0xA3, 100}, {0xA3, 1}, {0x21, 30}};
  for (const auto& p : packets) {
    state().current_substream = p.substream;
    account_payload(state(), 0xBD, p.count);
  }
  const StreamStats& st = state().stats;
  EXPECT_EQ(st.bytes_by_stream[0xBD], 2187u);
  EXPECT_EQ(st.packets_by_substream[0x80], 3u);
  EXPECT_EQ(st.bytes_by_substream[0x80], 2056u);
  EXPECT_EQ(st.ac3_bytes[0], 6u + 0u + 2040u);
  EXPECT_EQ(st.packets_by_substream[0xA3], 2u);
  EXPECT_EQ(st.pcm_bytes[3], 99u + 0u);
  EXPECT_EQ(st.subpicture_bytes[1], 29u);
}

TEST_F(StreamStatsTest, CountersDoNotWrapAt32Bits) {
  StreamStats& st = state().stats;
  state().is_vob = true;
  state().substream_known = true;
  state().current_substream = 0x80;
  st.bytes_by_stream[0xBD] = 0xFFFFFFFFu;
  st.bytes_by_substream[0x80] = 0xFFFFFFFEu;
  st.ac3_bytes[0] = 0xFFFFFFFFu;
  st.packets_by_substream[0x80] = 0xFFFFFFFFu;
  account_payload(state(), 0xBD, 10);
  EXPECT_EQ(st.bytes_by_stream[0xBD], 0x100000009u);
  EXPECT_EQ(st.bytes_by_substream[0x80], 0x100000008u);
  EXPECT_EQ(st.ac3_bytes[0], 0x100000005u);
  EXPECT_EQ(st.packets_by_substream[0x80], 0x100000000u);
}

// ---------------------------------------------------------------------------------------------
// print_summary

TEST_F(StreamStatsTest, SummaryOfNothing) {
  EXPECT_EQ(printed([&] { print_summary(state()); }), "\n\nSummary:\n\nMPEG Packs = 0\n");
}

TEST_F(StreamStatsTest, SummaryIsPrintedAtEveryLevel) {
  for (int32_t level : {1, 2, 3, 4}) {
    state_ = std::make_unique<AnalysisState>();
    state().verbose_level = level;
    state().stats.pack_count = 3;
    state().stats.packets_by_stream[0xE0] = 2;
    state().stats.bytes_by_stream[0xE0] = 10;
    EXPECT_EQ(printed([&] { print_summary(state()); }),
              "\n\nSummary:\n\nMPEG Packs = 3\nVideo stream 0 packets = 2, total bytes = 10\n")
        << "level " << level;
  }
}

TEST_F(StreamStatsTest, SystemHeaderLineOnlyWhenThereWereAny) {
  state().stats.pack_count = 2;
  state().stats.system_header_count = 1;
  EXPECT_EQ(printed([&] { print_summary(state()); }),
            "\n\nSummary:\n\nMPEG Packs = 2\nSystem headers = 1\n");
}

// Every stream line, in ascending stream_id; packets and bytes set to tell the lines apart.
TEST_F(StreamStatsTest, StreamLinesInAscendingStreamId) {
  StreamStats& st = state().stats;
  st.pack_count = 7;
  const uint8_t ids[] = {0xFF, 0xFE, 0xF9, 0xF8, 0xF7, 0xF3, 0xF2, 0xF1, 0xF0, 0xEF, 0xE0,
                         0xDF, 0xC0, 0xBF, 0xBE, 0xBD, 0xBC, 0xB9, 0x47, 0x00};
  for (uint8_t id : ids) {
    st.packets_by_stream[id] = id + 1u;
    st.bytes_by_stream[id] = 1000u + id;
  }
  st.bytes_by_stream[0xBE] = 0;  // a stream with no bytes still gets its line
  EXPECT_EQ(printed([&] { print_summary(state()); }),
            "\n\nSummary:\n\nMPEG Packs = 7\n"
            "Other stream 0x00 packets = 1, total bytes = 1000\n"
            "Other stream 0x47 packets = 72, total bytes = 1071\n"
            "Other stream 0xB9 packets = 186, total bytes = 1185\n"
            "Program Stream Map packets = 189, total bytes = 1188\n"
            "Private Stream 1 packets = 190, total bytes = 1189\n"
            "Padding Stream packets = 191, total bytes = 0\n"
            "Private Stream 2 packets = 192, total bytes = 1191\n"
            "MPEG Audio stream 0 packets = 193, total bytes = 1192\n"
            "MPEG Audio stream 31 packets = 224, total bytes = 1223\n"
            "Video stream 0 packets = 225, total bytes = 1224\n"
            "Video stream 15 packets = 240, total bytes = 1239\n"
            "ECM Stream packets = 241, total bytes = 1240\n"
            "EMM Stream packets = 242, total bytes = 1241\n"
            "DSMCC Stream packets = 243, total bytes = 1242\n"
            "Other stream 0xF3 packets = 244, total bytes = 1243\n"
            "Other stream 0xF7 packets = 248, total bytes = 1247\n"
            "ITU-T Rec. H.222.1 type E packets = 249, total bytes = 1248\n"
            "Other stream 0xF9 packets = 250, total bytes = 1249\n"
            "Other stream 0xFE packets = 255, total bytes = 1254\n"
            "Program Stream Directory packets = 256, total bytes = 1255\n");
}

// Substream counters as a DVD file leaves them; each per-kind line shows its own kind's entry.
void set_substreams(StreamStats& st) {
  st.pack_count = 4;
  st.packets_by_stream[0xBC] = 1;
  st.packets_by_stream[0xBD] = 12;
  st.bytes_by_stream[0xBD] = 5000;
  st.packets_by_stream[0xE0] = 3;
  st.bytes_by_stream[0xE0] = 300;
  const struct {
    uint8_t s;
    uint64_t packets;
    uint64_t bytes;
  } subs[] = {{0xFF, 1, 11}, {0xB0, 1, 12}, {0xAF, 2, 13}, {0xA0, 1, 14}, {0x9F, 1, 15},
              {0x8F, 1, 16}, {0x88, 1, 17}, {0x87, 1, 18}, {0x80, 1, 19}, {0x3F, 1, 20},
              {0x20, 1, 21}, {0x00, 1, 22}};
  for (const auto& sub : subs) {
    st.packets_by_substream[sub.s] = sub.packets;
    st.bytes_by_substream[sub.s] = sub.bytes;
  }
  st.ac3_bytes[0] = 800;
  st.ac3_bytes[7] = 807;
  st.dts_bytes[0] = 880;
  st.dts_bytes[7] = 887;
  st.pcm_bytes[0] = 1000;
  st.pcm_bytes[15] = 1015;
  st.subpicture_bytes[0] = 200;
  st.subpicture_bytes[31] = 231;
}

TEST_F(StreamStatsTest, SubstreamLinesFollowThePrivateStream1LineInDvdFiles) {
  set_substreams(state().stats);
  state().is_vob = true;
  EXPECT_EQ(printed([&] { print_summary(state()); }),
            "\n\nSummary:\n\nMPEG Packs = 4\n"
            "Program Stream Map packets = 1, total bytes = 0\n"
            "Private Stream 1 packets = 12, total bytes = 5000\n"
            "    Substream 0x00 packets = 1, total bytes = 22\n"
            "    Subpicture stream 0 packets = 1, total bytes = 200\n"
            "    Subpicture stream 31 packets = 1, total bytes = 231\n"
            "    AC3 Audio stream 0 packets = 1, total bytes = 800\n"
            "    AC3 Audio stream 7 packets = 1, total bytes = 807\n"
            "    DTS Audio stream 0 packets = 1, total bytes = 880\n"
            "    DTS Audio stream 7 packets = 1, total bytes = 887\n"
            "    Substream 0x9F packets = 1, total bytes = 15\n"
            "    PCM Audio stream 0 packets = 1, total bytes = 1000\n"
            "    PCM Audio stream 15 packets = 2, total bytes = 1015\n"
            "    Substream 0xB0 packets = 1, total bytes = 12\n"
            "    Substream 0xFF packets = 1, total bytes = 11\n"
            "Video stream 0 packets = 3, total bytes = 300\n");
}

TEST_F(StreamStatsTest, NoSubstreamLinesOutsideDvdFiles) {
  set_substreams(state().stats);
  state().is_vob = false;
  EXPECT_EQ(printed([&] { print_summary(state()); }),
            "\n\nSummary:\n\nMPEG Packs = 4\n"
            "Program Stream Map packets = 1, total bytes = 0\n"
            "Private Stream 1 packets = 12, total bytes = 5000\n"
            "Video stream 0 packets = 3, total bytes = 300\n");
}

TEST_F(StreamStatsTest, CountersAbove32BitsPrintTheirDecimalValue) {
  StreamStats& st = state().stats;
  state().is_vob = true;
  st.pack_count = 4294967301u;               // 2^32 + 5
  st.system_header_count = 8589934592u;      // 2^33
  st.packets_by_stream[0xBD] = 4294967296u;  // 2^32
  st.bytes_by_stream[0xBD] = 1099511627777u;  // 2^40 + 1
  st.packets_by_substream[0x81] = 4294967297u;
  st.ac3_bytes[1] = 34359738368u;  // 2^35
  st.packets_by_substream[0x42] = 1;
  st.bytes_by_substream[0x42] = 18446744073709551615u;  // 2^64 - 1
  st.packets_by_stream[0xC0] = 1;
  st.bytes_by_stream[0xC0] = 4294967295u;
  EXPECT_EQ(printed([&] { print_summary(state()); }),
            "\n\nSummary:\n\nMPEG Packs = 4294967301\n"
            "System headers = 8589934592\n"
            "Private Stream 1 packets = 4294967296, total bytes = 1099511627777\n"
            "    Substream 0x42 packets = 1, total bytes = 18446744073709551615\n"
            "    AC3 Audio stream 1 packets = 4294967297, total bytes = 34359738368\n"
            "MPEG Audio stream 0 packets = 1, total bytes = 4294967295\n");
}

}  // namespace
