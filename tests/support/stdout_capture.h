// Captures what the analyser writes to standard output while a piece of test code runs.
//
// The fast build gathers the report in an Output buffer and the plain build prints straight to
// stdout, so the capture sends file descriptor 1 to a temporary file, runs the code, flushes the
// Output (and stdio) and puts descriptor 1 back. The same test then sees the same text from
// both builds.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include "report/output.h"

namespace test_support {

template <typename Code>
std::string capture_stdout(Output& out, Code&& code) {
  std::fflush(stdout);
  std::FILE* sink = std::tmpfile();
  if (sink == nullptr) return "<tmpfile failed>";
  const int saved = ::dup(STDOUT_FILENO);
  ::dup2(::fileno(sink), STDOUT_FILENO);
  code();
  out_flush(out);
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);

  std::string text;
  std::rewind(sink);
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, sink)) > 0) text.append(chunk, got);
  std::fclose(sink);
  return text;
}

}  // namespace test_support
