// Writes a fixed set of damaged program streams made from a few good ones, the same set on
// every run (one fixed seed, a generator of its own): truncations (at every offset near each
// start code, or at every offset of a short stream), single bit flips, inserted and deleted
// bytes, zeroed and 0xFF-filled ranges, splices of two streams, and a few streams of just over
// one 1 MiB block cut near the block end.
//
// Usage: make_mutants OUTDIR [@]SOURCE[:MAXBYTES]...
//   Each source is read up to MAXBYTES (default all); one marked with @ gives only the
//   block-end mutants. Mutants of a .vob source are .vob files,
//   of any other .mpg; a few of each are written under the other extension as well, so the
//   DVD substream code also meets non-DVD streams and the other way round.
// Sources of more than 1 MiB also give the block-end mutants; for the others, sources are cut
// to 16 KiB. Prints the number of files written.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr size_t kBlock = 1048576;
constexpr size_t kSmall = 16384;  // longer sources are cut to this for the small mutants

struct Rng {  // splitmix64
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(next() % n); }
};

struct Source {
  std::string stem;
  bool vob = false;
  Bytes data;
  std::vector<size_t> codes;  // offsets of every 00 00 01 prefix
};

Source load(const std::string& source_arg) {
  Source s;
  std::string path = source_arg;
  size_t max = SIZE_MAX;
  const auto colon = source_arg.rfind(':');
  if (colon != std::string::npos && source_arg.find_first_not_of("0123456789", colon + 1) == std::string::npos) {
    path = source_arg.substr(0, colon);
    max = std::stoull(source_arg.substr(colon + 1));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(2);
  }
  s.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (s.data.size() > max) s.data.resize(max);
  const fs::path p(path);
  s.stem = p.stem().string();
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  s.vob = ext == ".vob";
  for (size_t i = 0; i + 2 < s.data.size(); ++i) {
    if (s.data[i] == 0 && s.data[i + 1] == 0 && s.data[i + 2] == 1) s.codes.push_back(i);
  }
  return s;
}

struct Writer {
  fs::path dir;
  int count = 0;
  void put(const std::string& name, bool vob, const Bytes& b) {
    const fs::path p = dir / (name + (vob ? ".vob" : ".mpg"));
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", p.string().c_str());
      std::exit(2);
    }
    ++count;
  }
};

std::string num(size_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%06zu", v);
  return buf;
}

// An offset near a start code (within the 24 bytes behind it, or 2 before), else anywhere.
size_t pick_offset(const Source& s, Rng& rng) {
  if (!s.codes.empty() && rng.below(4) != 0) {
    const size_t c = s.codes[rng.below(s.codes.size())];
    const size_t o = c + rng.below(26);
    return std::min(o >= 2 ? o - 2 : 0, s.data.size() - 1);
  }
  return rng.below(s.data.size());
}

void small_mutants(const Source& s, Rng& rng, Writer& w, size_t per_kind) {
  const Bytes& d = s.data;
  if (d.empty()) return;
  // Truncations: every offset in the first 14 bytes (the first pack header), then at each
  // of the next start codes inside the prefix, behind it, behind the stream_id and inside the
  // length field; then a spread of offsets near other start codes.
  std::vector<size_t> cuts;
  for (size_t o = 0; o < 14 && o < d.size(); ++o) cuts.push_back(o);
  for (size_t k = 1; k < s.codes.size() && k <= 3; ++k) {
    for (const size_t add : {size_t{1}, size_t{3}, size_t{4}, size_t{5}}) {
      if (s.codes[k] + add < d.size()) cuts.push_back(s.codes[k] + add);
    }
  }
  for (size_t i = 0; i < per_kind; ++i) cuts.push_back(pick_offset(s, rng));
  for (size_t c : cuts) w.put(s.stem + "-cut-" + num(c), s.vob, Bytes(d.begin(), d.begin() + static_cast<long>(c)));

  for (size_t i = 0; i < per_kind; ++i) {  // single bit flips
    Bytes b = d;
    const size_t o = pick_offset(s, rng);
    const unsigned bit = static_cast<unsigned>(rng.below(8));
    b[o] = static_cast<uint8_t>(b[o] ^ (1u << bit));
    w.put(s.stem + "-flip-" + num(o) + "-" + std::to_string(bit), s.vob != (i % 9 == 8), b);
  }
  static const uint8_t kSpecial[] = {0x00, 0x01, 0xFF, 0xBA, 0xBB, 0xBD, 0xE0, 0xC0, 0x80, 0x0F};
  for (size_t i = 0; i < per_kind; ++i) {  // inserted bytes
    Bytes b = d;
    const size_t o = pick_offset(s, rng);
    const size_t n = 1 + rng.below(4);
    Bytes ins(n);
    for (auto& x : ins) x = rng.below(2) ? kSpecial[rng.below(sizeof kSpecial)] : static_cast<uint8_t>(rng.next());
    b.insert(b.begin() + static_cast<long>(o), ins.begin(), ins.end());
    w.put(s.stem + "-ins-" + num(o) + "-" + std::to_string(n), s.vob, b);
  }
  for (size_t i = 0; i < per_kind; ++i) {  // deleted bytes
    Bytes b = d;
    const size_t o = pick_offset(s, rng);
    const size_t n = std::min(1 + rng.below(4), b.size() - o);
    b.erase(b.begin() + static_cast<long>(o), b.begin() + static_cast<long>(o + n));
    w.put(s.stem + "-del-" + num(o) + "-" + std::to_string(n), s.vob, b);
  }
  for (size_t i = 0; i < per_kind / 2 + 1; ++i) {  // zeroed or 0xFF ranges
    Bytes b = d;
    const size_t o = pick_offset(s, rng);
    const size_t n = std::min<size_t>(1 + rng.below(64), b.size() - o);
    const uint8_t fill = i % 3 == 2 ? 0xFF : 0x00;
    std::fill(b.begin() + static_cast<long>(o), b.begin() + static_cast<long>(o + n), fill);
    w.put(s.stem + (fill ? "-ones-" : "-zero-") + num(o) + "-" + std::to_string(n), s.vob, b);
  }
}

// The start of a at a start code, then the rest of b from one of its start codes.
void splices(const std::vector<Source>& srcs, Rng& rng, Writer& w, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Source& a = srcs[rng.below(srcs.size())];
    const Source& b = srcs[rng.below(srcs.size())];
    if (a.data.empty() || b.data.empty()) continue;
    const size_t ca = a.codes.empty() || rng.below(4) == 0 ? rng.below(a.data.size()) : a.codes[rng.below(a.codes.size())] + rng.below(3);
    const size_t cb = b.codes.empty() || rng.below(4) == 0 ? rng.below(b.data.size()) : b.codes[rng.below(b.codes.size())];
    Bytes out(a.data.begin(), a.data.begin() + static_cast<long>(std::min(ca, a.data.size())));
    out.insert(out.end(), b.data.begin() + static_cast<long>(cb), b.data.end());
    if (out.size() > 65536) out.resize(65536);
    w.put("splice-" + a.stem + "-" + num(ca) + "-" + b.stem + "-" + num(cb), a.vob || b.vob, out);
  }
}

// Streams of a 1 MiB block and a little more: cut near the block end, with a flipped bit or a
// stray byte just before it, so that refills and look-aheads meet damaged data.
void block_end_mutants(const Source& s, Rng& rng, Writer& w) {
  const Bytes& d = s.data;
  const auto upto = [&d](size_t n) { return Bytes(d.begin(), d.begin() + static_cast<long>(std::min(n, d.size()))); };
  for (size_t cut : {kBlock - 3, kBlock, kBlock + 1, kBlock + 2, kBlock + 3, kBlock + 5}) {
    if (cut <= d.size()) w.put(s.stem + "-block-cut-" + num(cut), s.vob, upto(cut));
  }
  for (int i = 0; i < 3; ++i) {
    Bytes b = upto(kBlock + 2048);
    const size_t o = std::min(kBlock - 8 + rng.below(16), b.size() - 1);
    b[o] = static_cast<uint8_t>(b[o] ^ (1u << rng.below(8)));
    w.put(s.stem + "-block-flip-" + num(o), s.vob, b);
  }
  Bytes b = upto(kBlock + 4096);
  b.insert(b.begin() + static_cast<long>(kBlock - 2), 0xFF);
  w.put(s.stem + "-block-ins", s.vob, b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_mutants OUTDIR SOURCE[:MAXBYTES]...\n");
    return 2;
  }
  Writer w{argv[1]};
  fs::create_directories(w.dir);
  for (const auto& e : fs::directory_iterator(w.dir)) {  // the set is written afresh
    if (e.is_regular_file()) fs::remove(e.path());
  }
  std::vector<Source> small;
  Rng rng{20240611};
  for (int i = 2; i < argc; ++i) {
    const bool block_only = argv[i][0] == '@';
    Source s = load(argv[i] + (block_only ? 1 : 0));
    if (s.data.size() > kBlock) block_end_mutants(s, rng, w);
    if (block_only) continue;
    if (s.data.size() > kSmall) {
      s.data.resize(kSmall);
      s.codes.erase(std::remove_if(s.codes.begin(), s.codes.end(), [](size_t c) { return c + 3 > kSmall; }), s.codes.end());
    }
    small.push_back(std::move(s));
  }
  for (const auto& s : small) small_mutants(s, rng, w, 3);
  splices(small, rng, w, 12);
  std::printf("%d mutants in %s\n", w.count, w.dir.string().c_str());
  return 0;
}
