// Start-up: banner, usage text, opening the input, the verbose level, the DVD file test and
// the first-pack search with the MPEG-1/MPEG-2 decision. Run through the psSIFT executable of
// the build under test, in a temporary folder, so that paths are given as a user types them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "support/param_names.h"
#include "support/run_program.h"
#include "support/stream_bytes.h"
#include "support/temp_files.h"

namespace {

using test_support::append;
using test_support::Bytes;
using test_support::ProgramRun;
using test_support::TempDir;
using test_support::without_banner;

using test_support::ByName;

constexpr const char* kUsage =
    "\npsSIFT is an MPEG program stream analyzer\n\n"
    "Usage: psSIFT  MPEG filename  <verbose level 1..4, default = 1>\n\n"
    "Examples:\n"
    "  To list the timing information for all packets\n"
    "     psSIFT test.mpg 1\n\n"
    "  To list all packets in detail (can generate huge files)\n"
    "     psSIFT test.mpg 2\n\n"
    "  To list all packets visually saving to file test.txt\n"
    "     psSIFT test.vob 3 > test.txt\n\n"
    "  To list all packets visually including PTS, DTS and P-STD info\n"
    "     psSIFT test.vob 4\n";

// The banner: a line that begins "psSIFT - version 1.7", a line indented by two spaces, and a
// blank line, before anything else.
void expect_banner(const std::string& report) {
  const size_t first = report.find('\n');
  ASSERT_NE(first, std::string::npos) << report;
  EXPECT_EQ(report.compare(0, 20, "psSIFT - version 1.7"), 0) << report.substr(0, first);
  const size_t second = report.find('\n', first + 1);
  ASSERT_NE(second, std::string::npos);
  const std::string line2 = report.substr(first + 1, second - first - 1);
  EXPECT_GE(line2.size(), 3u);
  EXPECT_EQ(line2.compare(0, 2, "  "), 0) << line2;
  EXPECT_NE(line2[2], ' ') << line2;
  EXPECT_EQ(report.compare(second + 1, 1, "\n"), 0) << "no blank line after the banner";
}

// One MPEG-2 pack with a video packet carrying a PTS, a video packet without, and the end code.
Bytes small_mpeg2_stream() {
  Bytes s = test_support::mpeg2_pack_header();
  append(s, test_support::mpeg2_pes_packet_with_pts(0xE0, test_support::filler(6)));
  append(s, test_support::mpeg2_pes_packet(0xE0, test_support::filler(4, 2)));
  append(s, test_support::program_end_code());
  return s;
}

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.ok()); }

  ProgramRun run(const std::vector<std::string>& args) {
    return test_support::run_pssift(args, dir_.path(), dir_.path());
  }

  TempDir dir_;
};

// ---------------------------------------------------------------------------------------------
// Usage and input failures

TEST_F(StartUpTest, NoArgumentsShowsTheUsageText) {
  const ProgramRun r = run({});
  EXPECT_EQ(r.exit_status, 1);
  expect_banner(r.out);
  EXPECT_EQ(without_banner(r.out), kUsage);
  EXPECT_EQ(r.err, "");
}

struct InputFailureCase {
  const char* name;
  const char* path;
  const char* message;
};

class InputFailureTest : public StartUpTest,
                         public ::testing::WithParamInterface<InputFailureCase> {};

TEST_P(InputFailureTest, MessageAfterTheBannerAndExitStatus1) {
  const InputFailureCase& c = GetParam();
  dir_.write("empty.mpg", {});
  ASSERT_EQ(::mkdir(dir_.file("folder.vob").c_str(), 0700), 0);
  for (const char* level : {"1", "3"}) {
    const ProgramRun r = run({c.path, level});
    EXPECT_EQ(r.exit_status, 1);
    expect_banner(r.out);
    EXPECT_EQ(without_banner(r.out), c.message);
    EXPECT_EQ(r.err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputFailureTest,
    ::testing::Values(
        InputFailureCase{"missing_file", "Missing.MPG", "Unable to open file Missing.MPG for reading.\n"},
        InputFailureCase{"missing_folder", "no/such/dir.vob",
                         "Unable to open file no/such/dir.vob for reading.\n"},
        InputFailureCase{"empty_file", "./empty.mpg", "Unable to read from file ./empty.mpg.\n"},
        InputFailureCase{"folder_cannot_be_read", "folder.vob",
                         "Unable to read from file folder.vob.\n"}),
    ByName());

// ---------------------------------------------------------------------------------------------
// The first-pack search moves in whole 32-bit words from the start of the file.

struct NoPackCase {
  const char* name;
  Bytes data;
};

class NoAlignedPackTest : public StartUpTest, public ::testing::WithParamInterface<NoPackCase> {};

TEST_P(NoAlignedPackTest, EndsWithExitStatus1AndNoReport) {
  dir_.write("Stream.MPG", GetParam().data);
  const ProgramRun r = run({"Stream.MPG", "1"});
  EXPECT_EQ(r.exit_status, 1);
  expect_banner(r.out);
  EXPECT_EQ(without_banner(r.out), "\nNo pack start code found in file Stream.MPG.\n");
}

Bytes unaligned_pack(size_t offset) {
  Bytes s = test_support::filler(offset, 3);
  append(s, test_support::mpeg2_pack_header());
  append(s, test_support::mpeg2_pes_packet(0xE0, test_support::filler(8)));
  append(s, test_support::program_end_code());
  while (s.size() % 4 != 0) s.push_back(0xFF);
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Files, NoAlignedPackTest,
    ::testing::Values(NoPackCase{"filler_only", test_support::filler(64)},
                      NoPackCase{"three_bytes", {0x00, 0x00, 0x01}},
                      NoPackCase{"one_byte", {0xBA}},
                      NoPackCase{"other_start_codes_only",
                                 {0x00, 0x00, 0x01, 0xBB, 0x00, 0x00, 0x01, 0xE0, 0x00, 0x00,
                                  0x01, 0xB9}},
                      NoPackCase{"pack_one_byte_in", unaligned_pack(1)},
                      NoPackCase{"pack_two_bytes_in", unaligned_pack(2)},
                      NoPackCase{"pack_three_bytes_in", unaligned_pack(3)}),
    ByName());

TEST_F(StartUpTest, PackStartCodeAsTheLastAlignedWordIsFound) {
  Bytes s = test_support::filler(8);
  append(s, test_support::pack_start_code());
  dir_.write("last.mpg", s);
  const ProgramRun r = run({"last.mpg"});
  EXPECT_EQ(r.exit_status, 0);
  // Nothing follows the code: the two bits looked at read as 0, so the stream counts as MPEG-1,
  // and the pack header is read from zero bits.
  EXPECT_EQ(without_banner(r.out),
            "\nFile last.mpg is an MPEG-1 Program Stream\n"
            "\n\nPACK #0, pack_start_code = 000001BA, SCR = 0.000000 ms\n"
            "\n\nSummary:\n\nMPEG Packs = 1\n");
}

TEST_F(StartUpTest, PackStartCodeAsTheLastAlignedWordWithTwoBytesBehindIt) {
  Bytes s = test_support::filler(4);
  append(s, test_support::pack_start_code());
  append(s, {0x44, 0x00});
  dir_.write("last.mpg", s);
  const ProgramRun r = run({"last.mpg", "3"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(without_banner(r.out),
            "\nFile last.mpg is an MPEG-2 Program Stream\n"
            " P\n\nSummary:\n\nMPEG Packs = 1\n");
}

// Junk in front of the first pack: found when it ends on a word boundary, else passed over.
struct LeadingJunkCase {
  const char* name;
  Bytes prefix;
};

class LeadingJunkTest : public StartUpTest,
                        public ::testing::WithParamInterface<LeadingJunkCase> {};

TEST_P(LeadingJunkTest, ReportsAsIfTheStreamBeganAtTheAlignedPack) {
  ASSERT_EQ(::mkdir(dir_.file("clean").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(dir_.file("junk").c_str(), 0700), 0);
  const Bytes clean = small_mpeg2_stream();
  Bytes junk = GetParam().prefix;
  ASSERT_EQ(junk.size() % 4, 0u);
  append(junk, clean);
  dir_.write("clean/stream.mpg", clean);
  dir_.write("junk/stream.mpg", junk);
  for (const char* level : {"1", "2", "3", "4"}) {
    const ProgramRun expected =
        test_support::run_pssift({"stream.mpg", level}, dir_.file("clean"), dir_.path());
    const ProgramRun got =
        test_support::run_pssift({"stream.mpg", level}, dir_.file("junk"), dir_.path());
    EXPECT_EQ(got.exit_status, 0);
    EXPECT_EQ(got.out, expected.out) << "level " << level;
  }
}

Bytes junk_then_unaligned_mpeg1_pack() {
  // Two bytes, an MPEG-1 pack header at byte 2 (not on a word boundary, so not seen), two more
  // bytes; the MPEG-2 stream then begins at byte 16.
  Bytes s = {0x12, 0x34};
  append(s, test_support::mpeg1_pack_header());
  append(s, {0x56, 0x78});
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, LeadingJunkTest,
    ::testing::Values(LeadingJunkCase{"eight_bytes", test_support::filler(8, 5)},
                      LeadingJunkCase{"eight_zero_bytes", Bytes(8, 0x00)},
                      LeadingJunkCase{"start_code_prefix_words",
                                      {0x00, 0x00, 0x01, 0xBB, 0x00, 0x00, 0x01, 0xE0}},
                      LeadingJunkCase{"unaligned_mpeg1_pack_before", junk_then_unaligned_mpeg1_pack()}),
    ByName());

TEST_F(StartUpTest, TwoBytesOfJunkHideThePackThatFollowsThem) {
  Bytes s = {0x12, 0x34};
  append(s, small_mpeg2_stream());
  while (s.size() % 4 != 0) s.push_back(0xFF);
  dir_.write("shifted.mpg", s);
  const ProgramRun r = run({"shifted.mpg"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(without_banner(r.out), "\nNo pack start code found in file shifted.mpg.\n");
}

// ---------------------------------------------------------------------------------------------
// MPEG-1 or MPEG-2: the two bits behind the first pack start code decide.

struct StreamTypeCase {
  const char* name;
  uint8_t byte_after_code;
  bool mpeg2;
};

class StreamTypeTest : public StartUpTest, public ::testing::WithParamInterface<StreamTypeCase> {};

TEST_P(StreamTypeTest, DecidedByTheFirstTwoBitsOfThePackHeader) {
  const StreamTypeCase& c = GetParam();
  Bytes s = test_support::pack_start_code();
  s.push_back(c.byte_after_code);
  append(s, Bytes(11, 0x00));
  ASSERT_EQ(::mkdir(dir_.file("Sub Dir").c_str(), 0700), 0);
  dir_.write("Sub Dir/Clip.MPG", s);
  const ProgramRun r = run({"Sub Dir/Clip.MPG", "3"});
  EXPECT_EQ(r.exit_status, 0);
  const std::string type = c.mpeg2 ? "MPEG-2" : "MPEG-1";
  const std::string report = without_banner(r.out);
  EXPECT_EQ(report.substr(0, report.find('\n', 1) + 1),
            "\nFile Sub Dir/Clip.MPG is an " + type + " Program Stream\n");
  EXPECT_NE(report.find("MPEG Packs = 1\n"), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(Bits, StreamTypeTest,
                         ::testing::Values(StreamTypeCase{"bits_01_from_0x44", 0x44, true},
                                           StreamTypeCase{"bits_01_from_0x7F", 0x7F, true},
                                           StreamTypeCase{"bits_00_from_0x21", 0x21, false},
                                           StreamTypeCase{"bits_10_from_0x80", 0x80, false},
                                           StreamTypeCase{"bits_11_from_0xC4", 0xC4, false}),
                         ByName());

TEST_F(StartUpTest, StreamTypeLineNamesThePathAsTyped) {
  dir_.write("Movie.Title.VOB", small_mpeg2_stream());
  for (const std::string& typed : {std::string("Movie.Title.VOB"), std::string("./Movie.Title.VOB"),
                                   dir_.file("Movie.Title.VOB")}) {
    const ProgramRun r = run({typed});
    EXPECT_EQ(r.exit_status, 0);
    const std::string report = without_banner(r.out);
    EXPECT_EQ(report.substr(0, report.find('\n', 1) + 1),
              "\nFile " + typed + " is an MPEG-2 Program Stream\n");
  }
}

// ---------------------------------------------------------------------------------------------
// The verbose level: read as "%d" reads an int, then held to 1..4.

struct LevelCase {
  const char* name;
  const char* text;
  int32_t level;
};

const LevelCase kLevelCases[] = {
    {"one", "1", 1},
    {"two", "2", 2},
    {"three", "3", 3},
    {"four", "4", 4},
    {"zero", "0", 1},
    {"minus_two", "-2", 1},
    {"letters", "abc", 1},
    {"empty", "", 1},
    {"digit_then_letter", "2x", 2},
    {"nine", "9", 4},
    {"leading_blank", " 3", 3},
    {"leading_white_space", "\t\n 2", 2},
    {"plus_sign", "+2", 2},
    {"sign_then_blank", "- 2", 1},
    {"two_signs", "+-2", 1},
    {"leading_zeros", "0003", 3},
    {"decimal_point", "3.9", 3},
    {"hex_prefix", "0x4", 1},
    {"minus_zero", "-0", 1},
    {"int_max", "2147483647", 4},
    {"just_above_int_max", "2147483648", 4},
    {"two_to_the_32_plus_2", "4294967298", 4},
    {"int_min", "-2147483648", 1},
    {"just_below_int_min", "-2147483649", 1},
    {"huge", "99999999999999999999", 4},
    {"huge_negative", "-99999999999999999999", 1},
};

class VerboseLevelTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(VerboseLevelTest, ParsedAndHeldToOneToFour) {
  EXPECT_EQ(parse_verbose_level(GetParam().text), GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Texts, VerboseLevelTest, ::testing::ValuesIn(kLevelCases), ByName());

class VerboseLevelRunTest : public StartUpTest, public ::testing::WithParamInterface<LevelCase> {};

// The report with the level argument as given equals the report at the level it stands for.
TEST_P(VerboseLevelRunTest, ReportFollowsTheLevel) {
  dir_.write("levels.mpg", small_mpeg2_stream());
  const ProgramRun got = run({"levels.mpg", GetParam().text});
  const ProgramRun expected = run({"levels.mpg", std::to_string(GetParam().level)});
  EXPECT_EQ(got.exit_status, 0);
  EXPECT_EQ(got.out, expected.out);
}

INSTANTIATE_TEST_SUITE_P(Texts, VerboseLevelRunTest, ::testing::ValuesIn(kLevelCases), ByName());

TEST_F(StartUpTest, TheFourLevelsGiveFourDifferentReports) {
  dir_.write("levels.mpg", small_mpeg2_stream());
  std::vector<std::string> reports;
  for (const char* level : {"1", "2", "3", "4"}) reports.push_back(run({"levels.mpg", level}).out);
  for (size_t i = 0; i < reports.size(); ++i) {
    for (size_t j = i + 1; j < reports.size(); ++j) {
      EXPECT_NE(reports[i], reports[j]) << "levels " << i + 1 << " and " << j + 1;
    }
  }
  EXPECT_EQ(run({"levels.mpg"}).out, reports[0]) << "the level defaults to 1";
  EXPECT_NE(reports[2].find(" Pv0v0E"), std::string::npos) << reports[2];
  EXPECT_NE(reports[3].find(" PPTSv0v0E"), std::string::npos) << reports[3];
}

TEST_F(StartUpTest, ArgumentsAfterTheLevelAreIgnored) {
  dir_.write("levels.mpg", small_mpeg2_stream());
  EXPECT_EQ(run({"levels.mpg", "3", "1"}).out, run({"levels.mpg", "3"}).out);
  EXPECT_EQ(run({"levels.mpg", "2", "junk", "4"}).out, run({"levels.mpg", "2"}).out);
  EXPECT_EQ(run({"levels.mpg", "x", "4"}).out, run({"levels.mpg", "1"}).out);
}

// ---------------------------------------------------------------------------------------------
// DVD files: the lower-cased path contains ".vob".

struct VobCase {
  const char* name;
  const char* path;
  bool is_vob;
};

const VobCase kVobCases[] = {
    {"upper_case_extension", "MOVIE.VOB", true},
    {"extension_with_more_after_it", "a.vobx", true},
    {"folder_name", "dvd.vob/title.mpg", true},
    {"mixed_case", "Title.VoB", true},
    {"inside_the_name", "a.vob.mpg", true},
    {"after_two_dots", "a..vob", true},
    {"hidden_folder", ".VOB/x", true},
    {"short_extension", "movie.vb", false},
    {"mpg", "movie.mpg", false},
    {"without_dot", "movievob", false},
    {"dot_too_early", "a.vvob", false},
    {"cut_short", "a.vo", false},
    {"split", "a.vo.b", false},
};

class VobPathTest : public ::testing::TestWithParam<VobCase> {};

TEST_P(VobPathTest, LowerCasedPathContainsDotVob) {
  EXPECT_EQ(path_is_vob(GetParam().path), GetParam().is_vob);
}

INSTANTIATE_TEST_SUITE_P(Paths, VobPathTest, ::testing::ValuesIn(kVobCases), ByName());

TEST(VobPathTest, EmptyPath) { EXPECT_FALSE(path_is_vob("")); }

class VobRunTest : public StartUpTest, public ::testing::WithParamInterface<VobCase> {};

// A DVD private stream 1 packet of AC3 substream 0x80: in a DVD file its map code carries the
// substream and the summary lists the substream.
TEST_P(VobRunTest, PrivateStream1MapCodeAndSummary) {
  const VobCase& c = GetParam();
  Bytes s = test_support::mpeg2_pack_header();
  append(s, test_support::mpeg2_pes_packet(0xBD, {0x80, 0x01, 0x00, 0x01, 0x0B, 0x77, 0x10}));
  append(s, test_support::program_end_code());
  dir_.write(c.path, s);
  const ProgramRun r = run({c.path, "3"});
  EXPECT_EQ(r.exit_status, 0);
  const std::string map = c.is_vob ? "\n P180E\n" : "\n P1E\n";
  const std::string substream =
      c.is_vob ? "    AC3 Audio stream 0 packets = 1, total bytes = 3\n" : "";
  EXPECT_EQ(without_banner(r.out), "\nFile " + std::string(c.path) +
                                       " is an MPEG-2 Program Stream\n" + map +
                                       "\nSummary:\n\nMPEG Packs = 1\n"
                                       "Private Stream 1 packets = 1, total bytes = 7\n" +
                                       substream);
}

INSTANTIATE_TEST_SUITE_P(Paths, VobRunTest,
                         ::testing::Values(kVobCases[0], kVobCases[1], kVobCases[2],
                                           kVobCases[7], kVobCases[8]),
                         ByName());

}  // namespace
