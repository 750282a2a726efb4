// SCR, PTS and DTS. At level 1 (timing mode) a timestamp becomes milliseconds and PTS and DTS
// are tested against the latest SCR; at the other levels (field mode) every bit field is
// printed as read at level 2, and level 4 gets one map code per timestamp block.
#include "report/report.h"
#include "syntax/syntax.h"

namespace {

constexpr LineFormat kScrExtension = "  system_clock_reference_extension = %d\n";

// The reciprocals are the nearest doubles, applied in extended precision.
constexpr long double kPer27000 = static_cast<long double>(1.0 / 27000.0);
constexpr long double kPer300 = static_cast<long double>(1.0 / 300.0);
constexpr long double kPer90 = static_cast<long double>(1.0 / 90.0);

constexpr FieldSpec kScrFields[] = {
    {3, "  system_clock_reference_base [32..30] = %d\n"},
    {1, "  marker bit = %d\n"},
    {15, "  system_clock_reference_base [29..15] = %d\n"},
    {1, "  marker bit = %d\n"},
    {15, "  system_clock_reference_base [14..0] = %d\n"},
    {1, "  marker bit = %d\n"},
};

constexpr FieldSpec kPtsFieldsAlone[] = {
    {4, "    0010 = %d\n"},        {3, "    PTS[32..30] = %d\n"}, {1, "    marker_bit = %d\n"},
    {15, "    PTS[29..15] = %d\n"}, {1, "    marker_bit = %d\n"},  {15, "    PTS[14..0] = %d\n"},
    {1, "    marker_bit = %d\n"},
};

constexpr FieldSpec kPtsFieldsBeforeDts[] = {
    {4, "    0011 = %d\n"},        {3, "    PTS[32..30] = %d\n"}, {1, "    marker_bit = %d\n"},
    {15, "    PTS[29..15] = %d\n"}, {1, "    marker_bit = %d\n"},  {15, "    PTS[14..0] = %d\n"},
    {1, "    marker_bit = %d\n"},
};

constexpr FieldSpec kDtsFields[] = {
    {4, "    0001 = %d\n"},        {3, "    DTS[32..30] = %d\n"}, {1, "    marker_bit = %d\n"},
    {15, "    DTS[29..15] = %d\n"}, {1, "    marker_bit = %d\n"},  {15, "    DTS[14..0] = %d\n"},
    {1, "    marker_bit = %d\n"},
};

// The 33-bit value of a timestamp body: bits 32..30, marker, 29..15, marker, 14..0.
// The marker behind bits 14..0 is left to the caller.
long double read_timestamp_body(BitReader& r) {
  const uint32_t high = get_bits(r, 3);
  long double value = (high & 4) != 0 ? 4294967296.0L : 0.0L;
  get_bit(r);
  const uint32_t middle = get_bits(r, 15);
  get_bit(r);
  const uint32_t low = get_bits(r, 15);
  value += static_cast<long double>(((high & 3u) << 30) + (middle << 15) + low);
  return value;
}

// The level-1 texts of one timestamp, by the position of the block and the outcome.
struct TimingTexts {
  const char* plain;
  const char* underflow;
};
constexpr TimingTexts kPtsAloneMpeg2 = {"PTS = %Lf ms\n", "PTS = %Lf ms, underflow\n"};
constexpr TimingTexts kPtsAloneMpeg1 = {"PTS = %Lf ms\n", "PTS = %Lf ms underflow\n"};
constexpr TimingTexts kPtsBeforeDts = {"PTS = %Lf ms, ", "PTS = %Lf ms underflow, "};
constexpr TimingTexts kDts = {"DTS = %Lf ms\n", "DTS = %Lf ms underflow\n"};

void time_timestamp(AnalysisState& state, TimestampContext context, const TimingTexts& texts) {
  BitReader& r = state.reader;
  get_bits(r, 4);
  const long double value = read_timestamp_body(r);
  get_bit(r);
  const bool underflow = context != TimestampContext::padding_packet && value <= state.last_scr;
  out_format_millis(state.out, underflow ? texts.underflow : texts.plain, value * kPer90);
}

}  // namespace

void read_scr(AnalysisState& state) {
  BitReader& r = state.reader;
  if (state.verbose_level == 1) {
    long double value = read_timestamp_body(r) * 300.0L;
    get_bit(r);
    if (state.is_mpeg2) value += static_cast<long double>(get_bits(r, 9));
    out_format_millis(state.out, "SCR = %Lf ms\n", value * kPer27000);
    state.last_scr = value * kPer300;
    return;
  }
  read_fields(state, kScrFields);
  if (state.is_mpeg2) read_field(state, 9, kScrExtension);
}

int read_pts(AnalysisState& state, TimestampContext context) {
  if (state.verbose_level == 1) {
    time_timestamp(state, context,
                   context == TimestampContext::mpeg2_pes ? kPtsAloneMpeg2 : kPtsAloneMpeg1);
    return 5;
  }
  print_heading(state, "  PTS fields\n");
  read_fields(state, kPtsFieldsAlone);
  if (state.verbose_level > 3) append_map_code(state, "PTS");
  return 5;
}

int read_pts_dts(AnalysisState& state, TimestampContext context) {
  if (state.verbose_level == 1) {
    time_timestamp(state, context, kPtsBeforeDts);
    time_timestamp(state, context, kDts);
    return 10;
  }
  print_heading(state, "  PTS fields\n");
  read_fields(state, kPtsFieldsBeforeDts);
  print_heading(state, "  DTS fields\n");
  read_fields(state, kDtsFields);
  if (state.verbose_level > 3) append_map_code(state, "PTSDTS");
  return 10;
}
