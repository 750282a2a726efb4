// The closing summary of a well-formed stream is the same at every verbose level: the counters
// do not depend on how much of the stream the report shows.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.h"
#include "support/temp_files.h"

namespace {

using test_support::ProgramRun;
using test_support::summary_of;
using test_support::TempDir;

struct StreamCase {
  const char* name;
  const char* path;  // below tests/
};

class SummaryLevelsTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(SummaryLevelsTest, SameSummaryAtLevels1To4) {
  TempDir scratch;
  ASSERT_TRUE(scratch.ok());
  const std::string path = std::string(PSSIFT_TEST_DATA) + "/../" + GetParam().path;
  std::string summaries[4];
  for (int level = 1; level <= 4; ++level) {
    const ProgramRun r = test_support::run_pssift({path, std::to_string(level)}, "", scratch.path());
    EXPECT_EQ(r.exit_status, 0) << "level " << level;
    summaries[level - 1] = summary_of(r.out);
    ASSERT_FALSE(summaries[level - 1].empty()) << "no summary at level " << level;
  }
  for (int level = 2; level <= 4; ++level) {
    EXPECT_EQ(summaries[level - 1], summaries[0]) << "level " << level << " against level 1";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, SummaryLevelsTest,
    ::testing::Values(StreamCase{"every_kind_of_stream", "e2e/foundation/summary_streams.vob"},
                      StreamCase{"one_long_pack", "e2e/foundation/long_pack_forty_video_packets.mpg"},
                      StreamCase{"dvd_substreams", "data/samples/dvd_substreams_all_kinds.vob"},
                      StreamCase{"dvd_multiplex", "data/samples/mpeg2_ffmpeg_dvd_multi.vob"},
                      StreamCase{"mpeg1_multiplex", "data/samples/mpeg1_mplex_f1_vcd.mpg"}),
    [](const ::testing::TestParamInfo<StreamCase>& p) { return std::string(p.param.name); });

// The summary of the stream with one packet of every kind: ascending stream_id, the private
// stream 1 substreams right after their stream's line, and totals without substream headers.
TEST(SummaryTest, EveryKindOfStreamAtLevel1) {
  TempDir scratch;
  ASSERT_TRUE(scratch.ok());
  const std::string path =
      std::string(PSSIFT_TEST_DATA) + "/../e2e/foundation/summary_streams.vob";
  const ProgramRun r = test_support::run_pssift({path, "1"}, "", scratch.path());
  EXPECT_EQ(summary_of(r.out),
            "\n\nSummary:\n"
            "\nMPEG Packs = 2\n"
            "System headers = 1\n"
            "Other stream 0x00 packets = 1, total bytes = 3\n"
            "Program Stream Map packets = 1, total bytes = 6\n"
            "Private Stream 1 packets = 9, total bytes = 35\n"
            "    Subpicture stream 31 packets = 1, total bytes = 2\n"
            "    Substream 0x40 packets = 1, total bytes = 4\n"
            "    AC3 Audio stream 0 packets = 2, total bytes = 6\n"
            "    AC3 Audio stream 1 packets = 1, total bytes = 0\n"
            "    DTS Audio stream 0 packets = 1, total bytes = 4\n"
            "    PCM Audio stream 0 packets = 1, total bytes = 6\n"
            "Padding Stream packets = 1, total bytes = 8\n"
            "Private Stream 2 packets = 1, total bytes = 5\n"
            "MPEG Audio stream 0 packets = 1, total bytes = 4\n"
            "Video stream 0 packets = 1, total bytes = 0\n"
            "ECM Stream packets = 1, total bytes = 0\n"
            "Other stream 0xF3 packets = 1, total bytes = 2\n"
            "ITU-T Rec. H.222.1 type E packets = 1, total bytes = 1\n"
            "Program Stream Directory packets = 1, total bytes = 3\n");
}

}  // namespace
