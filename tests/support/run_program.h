// Runs the psSIFT executable of the build under test (PSSIFT_BINARY: psSIFT or psSIFT-plain)
// in a given folder and collects its exit status, standard output and standard error.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace test_support {

struct ProgramRun {
  int exit_status = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string read_whole_file(const std::string& path) {
  std::string text;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return text;
  char chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, got);
  std::fclose(f);
  return text;
}

// program is run with args (argv[1] on) in the folder cwd (unchanged when empty).
// scratch is a writable folder for the captured streams.
inline ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                              const std::string& cwd, const std::string& scratch) {
  ProgramRun run;
  const std::string out_path = scratch + "/.stdout";
  const std::string err_path = scratch + "/.stderr";
  std::vector<std::string> owned;
  owned.push_back(program);
  owned.insert(owned.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = ::fork();
  if (child < 0) return run;
  if (child == 0) {
    const int out_fd = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err_fd = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out_fd < 0 || err_fd < 0) ::_exit(126);
    ::dup2(out_fd, STDOUT_FILENO);
    ::dup2(err_fd, STDERR_FILENO);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return run;
  }
  if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
  run.out = read_whole_file(out_path);
  run.err = read_whole_file(err_path);
  ::unlink(out_path.c_str());
  ::unlink(err_path.c_str());
  return run;
}

#ifdef PSSIFT_BINARY
inline ProgramRun run_pssift(const std::vector<std::string>& args, const std::string& cwd,
                             const std::string& scratch) {
  return run_program(PSSIFT_BINARY, args, cwd, scratch);
}
#endif

// The report without its first three lines (the two banner lines and the blank line).
inline std::string without_banner(const std::string& report) {
  size_t at = 0;
  for (int line = 0; line < 3; ++line) {
    const size_t end = report.find('\n', at);
    if (end == std::string::npos) return std::string();
    at = end + 1;
  }
  return report.substr(at);
}

// From "\n\nSummary:\n" on; empty when there is none.
inline std::string summary_of(const std::string& report) {
  const size_t at = report.find("\n\nSummary:\n");
  return at == std::string::npos ? std::string() : report.substr(at);
}

}  // namespace test_support
