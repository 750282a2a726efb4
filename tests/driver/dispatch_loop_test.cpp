// The start-code loop: one element per start code, the program end code, resynchronisation on
// bytes that are no start code, and the end of the data; then the last map text and the summary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/stream_bytes.h"
#include "support/temp_files.h"

namespace {

using test_support::append;
using test_support::Bytes;
using test_support::ProgramRun;
using test_support::TempDir;
using test_support::without_banner;

Bytes pack() { return test_support::mpeg2_pack_header(); }
Bytes video() { return test_support::mpeg2_pes_packet(0xE0, Bytes(4, 0x55)); }
Bytes end_code() { return test_support::program_end_code(); }

Bytes join(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& p : parts) append(all, p);
  return all;
}

const std::string kType = "\nFile loop.mpg is an MPEG-2 Program Stream\n";
const std::string kSummary = "\n\nSummary:\n\nMPEG Packs = ";

struct LoopCase {
  const char* name;
  Bytes stream;
  const char* level;
  std::string report;  // after the banner
};

class DispatchLoopTest : public ::testing::TestWithParam<LoopCase> {};

TEST_P(DispatchLoopTest, Report) {
  const LoopCase& c = GetParam();
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("loop.mpg", c.stream);
  const ProgramRun r = test_support::run_pssift({"loop.mpg", c.level}, dir.path(), dir.path());
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(without_banner(r.out), c.report);
}

const LoopCase kLoopCases[] = {
    {"ends_without_end_code", join({pack(), video()}), "3",
     kType + "\n Pv0" + kSummary + "1\nVideo stream 0 packets = 1, total bytes = 4\n"},
    {"data_after_the_end_code_is_not_read",
     join({pack(), video(), end_code(), pack(), video(), end_code()}), "3",
     kType + "\n Pv0E" + kSummary + "1\nVideo stream 0 packets = 1, total bytes = 4\n"},
    {"end_code_at_level_1", join({pack(), end_code()}), "1",
     kType + "\n\nPACK #0, pack_start_code = 000001BA, SCR = 0.000000 ms\n"
             "\n\nmpeg_program_end_code = 000001B9\n" +
         kSummary + "1\n"},
    {"end_code_at_level_3", join({pack(), end_code()}), "3", kType + "\n PE" + kSummary + "1\n"},
    {"end_code_at_level_4", join({pack(), end_code()}), "4", kType + "\n PE" + kSummary + "1\n"},
    // 0xFF 0x00 0x00 0x01 is rejected as a word; the search starts at the 0xBA behind it, so
    // that pack is never seen and its packet belongs to the pack before.
    {"stray_byte_hides_a_pack", join({pack(), video(), {0xFF}, pack(), video(), end_code()}), "3",
     kType + "\n Pv0v0E" + kSummary + "1\nVideo stream 0 packets = 2, total bytes = 8\n"},
    // After four stray bytes the search finds the next pack, though it does not start on a
    // word boundary of the file; it is decoded like any other.
    {"pack_found_by_the_search", join({pack(), video(), {0xFF, 0xFF, 0xFF, 0xFF}, pack(), video(),
                                       end_code()}),
     "3", kType + "\n Pv0 Pv0E" + kSummary + "2\nVideo stream 0 packets = 2, total bytes = 8\n"},
    {"one_stray_byte_at_the_end", join({pack(), video(), {0xFF}}), "3",
     kType + "\n Pv0" + kSummary + "1\nVideo stream 0 packets = 1, total bytes = 4\n"},
    {"two_zero_bytes_at_the_end", join({pack(), video(), {0x00, 0x00}}), "3",
     kType + "\n Pv0" + kSummary + "1\nVideo stream 0 packets = 1, total bytes = 4\n"},
    {"three_stray_bytes_at_the_end", join({pack(), video(), {0xFF, 0xFE, 0x00}}), "3",
     kType + "\n Pv0" + kSummary + "1\nVideo stream 0 packets = 1, total bytes = 4\n"},
    {"three_stray_bytes_at_the_end_level_1", join({pack(), video(), {0x00, 0x00, 0x00}}), "1",
     kType + "\n\nPACK #0, pack_start_code = 000001BA, SCR = 0.000000 ms\n"
             "  packet #0\n  stream_id = E0  Video Stream 0, \n" +
         kSummary + "1\nVideo stream 0 packets = 1, total bytes = 4\n"},
    // The prefix found is the file's last three bytes: the byte after it reads as 0, and the
    // code 0x00000100 is a packet of stream 0x00, read from zero bits.
    {"prefix_as_the_last_three_bytes",
     join({pack(), video(), {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01}}), "3",
     kType + "\n Pv0o" + kSummary +
         "1\nOther stream 0x00 packets = 1, total bytes = 0\n"
         "Video stream 0 packets = 1, total bytes = 4\n"},
    // Codes below 0x000001B9 are packets with a packet header.
    {"codes_below_B9_are_packets",
     join({pack(), test_support::mpeg2_pes_packet(0x00, {0x55}),
           test_support::mpeg2_pes_packet(0x47, {0x55, 0x55}),
           test_support::mpeg2_pes_packet(0xB8, {0x55, 0x55, 0x55}), end_code()}),
     "3",
     kType + "\n PoooE" + kSummary +
         "1\nOther stream 0x00 packets = 1, total bytes = 1\n"
         "Other stream 0x47 packets = 1, total bytes = 2\n"
         "Other stream 0xB8 packets = 1, total bytes = 3\n"},
    // An element cut short by the end of the file is read to its end before the loop stops.
    {"packet_cut_short", join({pack(), {0x00, 0x00, 0x01, 0xBF, 0x00, 0x14, 0xFF, 0xFF, 0xFF}}),
     "3", kType + "\n P2" + kSummary + "1\nPrivate Stream 2 packets = 1, total bytes = 20\n"},
    {"one_map_text_per_pack", join({pack(), video(), pack(), pack(), video(), end_code()}), "3",
     kType + "\n Pv0\n P\n Pv0E" + kSummary + "3\nVideo stream 0 packets = 2, total bytes = 8\n"},
};

INSTANTIATE_TEST_SUITE_P(Streams, DispatchLoopTest, ::testing::ValuesIn(kLoopCases),
                         [](const ::testing::TestParamInfo<LoopCase>& p) {
                           return std::string(p.param.name);
                         });

// The packet start line is a level-1 message printed only when the level is not 1: shown at
// level 2, dropped at levels 3 and 4.
TEST(DispatchLoopLinesTest, PacketStartLineOnlyAtLevel2) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  dir.write("loop.mpg", join({pack(), video(), end_code()}));
  const std::string line = "\npacket_start_code_prefix = 000001\n  packet #0\n";
  for (const char* level : {"1", "2", "3", "4"}) {
    const ProgramRun r = test_support::run_pssift({"loop.mpg", level}, dir.path(), dir.path());
    EXPECT_EQ(r.out.find(line) != std::string::npos, std::string(level) == "2") << level;
  }
  const ProgramRun r = test_support::run_pssift({"loop.mpg", "2"}, dir.path(), dir.path());
  EXPECT_NE(r.out.find("\n\nmpeg_program_end_code = 000001B9\n\n\nSummary:\n"), std::string::npos)
      << r.out;
}

}  // namespace
