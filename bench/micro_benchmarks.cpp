// Micro-benchmarks of the hot paths: field reads and skips of the bit reader, the level-1
// payload scans, and the report's number formatting.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "bitstream/bit_reader.h"
#include "payload/payload.h"
#include "report/output.h"
#include "state/analysis_state.h"

namespace {

// A file of `size` bytes made by `fill`, opened in a fresh state whose output is dropped.
struct Fixture {
  std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
  std::string path;

  template <typename Fill>
  Fixture(size_t size, Fill fill) {
    char name[] = "/tmp/pssift-bench-XXXXXX";
    const int fd = mkstemp(name);
    close(fd);
    path = name;
    std::vector<uint8_t> bytes(size);
    fill(bytes);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    reopen();
  }
  ~Fixture() {
    close_input(state->reader);
    std::remove(path.c_str());
  }
  void reopen() {
    close_input(state->reader);
    state->reader = BitReader{};
    open_input(state->reader, path.c_str(), state->out);
    state->out.length = 0;
  }
};

void random_bytes(std::vector<uint8_t>& bytes) {
  std::mt19937 random(7);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
}

constexpr size_t kFileSize = 8 * 1048576;

void BM_GetBits(benchmark::State& s) {
  const int width = static_cast<int>(s.range(0));
  Fixture f(kFileSize, random_bytes);
  BitReader& r = f.state->reader;
  uint64_t sum = 0;
  for (auto _ : s) {
    for (int i = 0; i < 1024; ++i) sum += get_bits(r, width);
    if (at_end(r)) f.reopen();
  }
  benchmark::DoNotOptimize(sum);
  s.SetItemsProcessed(static_cast<int64_t>(s.iterations()) * 1024);
}
BENCHMARK(BM_GetBits)->Arg(1)->Arg(3)->Arg(8)->Arg(15)->Arg(22)->Arg(32);

void BM_SkipBytes(benchmark::State& s) {
  Fixture f(kFileSize, random_bytes);
  BitReader& r = f.state->reader;
  for (auto _ : s) {
    skip_bytes(r, 2025);
    if (at_end(r)) f.reopen();
  }
  s.SetBytesProcessed(static_cast<int64_t>(s.iterations()) * 2025);
}
BENCHMARK(BM_SkipBytes);

// scan_payload at level 1 over 2025-byte payloads of random data: video (0xE0) and audio (0xC0).
void BM_ScanPayload(benchmark::State& s) {
  const auto stream_id = static_cast<uint8_t>(s.range(0));
  Fixture f(kFileSize, random_bytes);
  AnalysisState& state = *f.state;
  state.verbose_level = 1;
  for (auto _ : s) {
    scan_payload(state, stream_id, 2025);
    state.out.length = 0;
    if (at_end(state.reader)) f.reopen();
  }
  s.SetBytesProcessed(static_cast<int64_t>(s.iterations()) * 2025);
}
BENCHMARK(BM_ScanPayload)->Arg(0xE0)->Arg(0xC0);

void BM_FormatMillis(benchmark::State& s) {
  auto out = std::make_unique<Output>();
  std::mt19937_64 random(11);
  const long double per90 = static_cast<long double>(1.0 / 90.0);
  for (auto _ : s) {
    out_millis(*out, static_cast<long double>(random() & ((uint64_t{1} << 33) - 1)) * per90);
    if (out->length > kOutputSize / 2) out->length = 0;
  }
  s.SetItemsProcessed(static_cast<int64_t>(s.iterations()));
}
BENCHMARK(BM_FormatMillis);

void BM_FormatLine(benchmark::State& s) {
  auto out = std::make_unique<Output>();
  static constexpr LineFormat kLine = "  PES_header_data_length = %d\n";
  int value = 0;
  for (auto _ : s) {
    out_line(*out, kLine, value++ & 255);
    if (out->length > kOutputSize / 2) out->length = 0;
  }
  s.SetItemsProcessed(static_cast<int64_t>(s.iterations()));
}
BENCHMARK(BM_FormatLine);

void BM_FormatRuntimeText(benchmark::State& s) {
  auto out = std::make_unique<Output>();
  int value = 0;
  for (auto _ : s) {
    out_format(*out, "    substream id = 0x%02X  ", value++ & 255);
    if (out->length > kOutputSize / 2) out->length = 0;
  }
  s.SetItemsProcessed(static_cast<int64_t>(s.iterations()));
}
BENCHMARK(BM_FormatRuntimeText);

}  // namespace

BENCHMARK_MAIN();
