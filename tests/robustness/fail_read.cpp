/* An LD_PRELOAD library that makes reading a chosen file fail part way through, the way a
 * failing disk or a vanished network mount does: after FAIL_READ_AFTER bytes of the file
 * have been delivered through fread, the file's descriptor is closed, so the next read(2)
 * really fails (EBADF) and the stream's error indicator is set by stdio itself; that fread
 * returns the bytes up to the limit and then comes back short.
 *
 *   FAIL_READ_FILE   the file, as passed to fopen (the whole path, or its last part after
 *                    a '/'); no other file is touched
 *   FAIL_READ_AFTER  bytes delivered before the failure
 * Without both (set and not empty) the library changes nothing.
 */
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

FILE* watched;
unsigned long long delivered;
bool failed;

using FopenFn = FILE* (*)(const char*, const char*);
using FreadFn = size_t (*)(void*, size_t, size_t, FILE*);
using FcloseFn = int (*)(FILE*);

template <typename Fn>
Fn next_symbol(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

bool is_target(const char* path) {
  const char* want = std::getenv("FAIL_READ_FILE");
  if (want == nullptr || *want == '\0' || path == nullptr) return false;
  if (std::strcmp(path, want) == 0) return true;
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr && std::strcmp(slash + 1, want) == 0;
}

FILE* open_with(const char* name, const char* path, const char* mode) {
  FILE* f = next_symbol<FopenFn>(name)(path, mode);
  if (f != nullptr && is_target(path)) {
    watched = f;
    delivered = 0;
    failed = false;
  }
  return f;
}

}  // namespace

extern "C" {

FILE* fopen(const char* path, const char* mode) { return open_with("fopen", path, mode); }
FILE* fopen64(const char* path, const char* mode) { return open_with("fopen64", path, mode); }

size_t fread(void* ptr, size_t size, size_t n, FILE* f) {
  static FreadFn real;
  if (real == nullptr) real = next_symbol<FreadFn>("fread");
  const char* after = std::getenv("FAIL_READ_AFTER");
  if (f == nullptr || f != watched || size == 0 || after == nullptr || *after == '\0') {
    return real(ptr, size, n, f);
  }
  const unsigned long long limit = std::strtoull(after, nullptr, 10);
  const unsigned long long want = static_cast<unsigned long long>(size) * n;
  if (!failed && delivered + want <= limit) {
    const size_t got = real(ptr, size, n, f);
    delivered += static_cast<unsigned long long>(got) * size;
    return got;
  }
  size_t got_bytes = 0;
  if (!failed && limit > delivered) { /* the bytes up to the limit still come */
    got_bytes = real(ptr, 1, static_cast<size_t>(limit - delivered), f);
    delivered += got_bytes;
  }
  if (!failed) {
    failed = true;
    close(fileno(f)); /* from now on every read(2) of the stream fails with EBADF */
  }
  got_bytes += real(static_cast<char*>(ptr) + got_bytes, 1, static_cast<size_t>(want - got_bytes), f);
  return got_bytes / size;
}

int fclose(FILE* f) {
  static FcloseFn real;
  if (real == nullptr) real = next_symbol<FcloseFn>("fclose");
  if (f != nullptr && f == watched) watched = nullptr;
  return real(f);
}

}  // extern "C"
