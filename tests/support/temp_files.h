// A private temporary folder per test, and small helpers for the stream files written into it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;

// Made on construction under $TMPDIR (or /tmp), removed with everything in it on destruction.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                          "/pssift_test_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~TempDir() {
    if (!path_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(path_, ignored);
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Writes bytes to name (a relative path; missing folders are made) and returns its full path.
  std::string write(const std::string& name, const Bytes& bytes) const {
    const std::string full = file(name);
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream stream(full, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    return full;
  }

 private:
  std::string path_;
};

// Deterministic filler: byte i of a file made with the given seed. Never 0x00 or 0x01, so the
// filler can hold no start-code prefix of its own.
inline uint8_t filler_byte(uint64_t i, uint32_t seed = 1) {
  uint64_t x = (i + 1) * 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(seed) << 32);
  x ^= x >> 29;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 32;
  return static_cast<uint8_t>(2 + x % 254);
}

inline Bytes filler(size_t size, uint32_t seed = 1) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = filler_byte(i, seed);
  return bytes;
}

inline void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

}  // namespace test_support
