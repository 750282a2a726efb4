// Runs psSIFT on stream files at levels 1 to 4 and checks that every run ends in one of the
// program's defined outcomes:
//   - exit status 0, and the output ends with the summary: after the last "\n\nSummary:\n"
//     come "\nMPEG Packs = N\n", optionally "System headers = N\n", and stream lines only;
//   - exit status 1, and the last line of the output is one of the fatal messages (at levels 3
//     and 4 the packet-map text of the current pack may stand before it on that line).
// Anything else fails: another status, a signal, a run longer than the time limit, output on
// standard error (sanitizer reports land there), output not ending in a newline.
//
// Usage: check_outcome [-t SECONDS] [-l LEVELS] PSSIFT PATH...
//   PATH is a stream file or a folder, searched for *.mpg, *.vob, *.m2p and *.bin files.
//   -t  time limit per run (default 20 s); -l  levels to run, e.g. 13 (default 1234).
// Prints one line per failing run and a closing "N passed, N failed" line; exit status 0 when
// nothing failed.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kTailBytes = 1 << 18;  // a summary is at most some 40 KiB

struct RunResult {
  bool timed_out = false;
  int status = -1;     // exit status, or -1 when killed by a signal
  int signal = 0;      // the signal, when killed
  std::string out;     // the last kTailBytes of standard output
  size_t out_total = 0;
  std::string err;     // the start of standard error
};

void keep_tail(std::string& s, const char* p, size_t n) {
  s.append(p, n);
  if (s.size() > 2 * kTailBytes) s.erase(0, s.size() - kTailBytes);
}

RunResult run_one(const std::string& bin, const std::string& file, int level, int limit_s) {
  RunResult r;
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
    std::perror("pipe");
    std::exit(2);
  }
  const std::string level_arg = std::to_string(level);
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(2);
  }
  if (pid == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    close(out_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[0]);
    close(err_pipe[1]);
    execl(bin.c_str(), bin.c_str(), file.c_str(), level_arg.c_str(), static_cast<char*>(nullptr));
    std::_Exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit_s);
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_fds = 2;
  std::vector<char> buf(1 << 16);
  while (open_fds > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      r.timed_out = true;
      kill(pid, SIGKILL);
      break;
    }
    const int n = poll(fds, 2, static_cast<int>(std::min<long long>(left, 1000)));
    if (n < 0 && errno == EINTR) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      const ssize_t got = read(fds[i].fd, buf.data(), buf.size());
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_fds;
      } else if (i == 0) {
        keep_tail(r.out, buf.data(), static_cast<size_t>(got));
        r.out_total += static_cast<size_t>(got);
      } else if (r.err.size() < 4096) {
        r.err.append(buf.data(), static_cast<size_t>(got));
      }
    }
  }
  for (auto& f : fds) {
    if (f.fd >= 0) close(f.fd);
  }
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) r.signal = WTERMSIG(wstatus);
  return r;
}

std::string replace_path(const char* format, const std::string& path) {
  std::string s = format;
  const auto at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, path);
  return s;
}

// A line pattern: text to match exactly, where kNum stands for one or more decimal digits
// and kHex for exactly two upper-case hexadecimal digits.
constexpr char kNum = '\x01';
constexpr char kHex = '\x02';
#define NUM "\x01"
#define HEX "\x02"

bool matches(const std::string& line, const std::string& pattern) {
  size_t i = 0;
  for (const char p : pattern) {
    if (p == kNum) {
      const size_t from = i;
      while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
      if (i == from) return false;
    } else if (p == kHex) {
      for (int k = 0; k < 2; ++k, ++i) {
        if (i >= line.size() || !((line[i] >= '0' && line[i] <= '9') || (line[i] >= 'A' && line[i] <= 'F'))) return false;
      }
    } else {
      if (i >= line.size() || line[i] != p) return false;
      ++i;
    }
  }
  return i == line.size();
}

bool matches_any(const std::string& line, const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(), [&line](const std::string& p) { return matches(line, p); });
}

// Checks the text after the last "\n\nSummary:\n"; empty result when it is a valid summary.
std::string check_summary(const std::string& out, bool is_vob) {
  const std::string head = "\n\nSummary:\n";
  const auto at = out.rfind(head);
  if (at == std::string::npos) return "exit status 0 but no summary";
  std::string rest = out.substr(at + head.size());
  const std::string counts = " packets = " NUM ", total bytes = " NUM;
  std::vector<std::string> stream, substream;
  for (const char* name : {"Program Stream Map", "Private Stream 1", "Padding Stream", "Private Stream 2",
                           "MPEG Audio stream " NUM, "Video stream " NUM, "ECM Stream", "EMM Stream",
                           "DSMCC Stream", "ITU-T Rec. H.222.1 type E", "Program Stream Directory",
                           "Other stream 0x" HEX}) {
    stream.push_back(name + counts);
  }
  for (const char* name : {"AC3 Audio stream " NUM, "DTS Audio stream " NUM, "PCM Audio stream " NUM,
                           "Subpicture stream " NUM, "Substream 0x" HEX}) {
    substream.push_back(std::string("    ") + name + counts);
  }
  if (rest.empty() || rest[0] != '\n') return "summary: no blank line before MPEG Packs";
  rest.erase(0, 1);
  if (rest.empty() || rest.back() != '\n') return "summary does not end with a newline";
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < rest.size()) {
    const auto nl = rest.find('\n', from);
    lines.push_back(rest.substr(from, nl - from));
    from = nl + 1;
  }
  size_t i = 0;
  if (i >= lines.size() || !matches(lines[i], "MPEG Packs = " NUM)) return "summary: no MPEG Packs line";
  ++i;
  if (i < lines.size() && matches(lines[i], "System headers = " NUM)) ++i;
  bool after_private1 = false;
  for (; i < lines.size(); ++i) {
    if (matches_any(lines[i], stream)) {
      after_private1 = lines[i].rfind("Private Stream 1 ", 0) == 0;
      continue;
    }
    if (matches_any(lines[i], substream) && after_private1 && is_vob) continue;
    return "summary: unexpected line \"" + lines[i].substr(0, 100) + "\"";
  }
  return "";
}

std::string check(const RunResult& r, const std::string& path, int level) {
  if (r.timed_out) return "no end within the time limit (hang)";
  if (r.signal != 0) return "killed by signal " + std::to_string(r.signal);
  if (!r.err.empty()) return "output on standard error: " + r.err.substr(0, 2000);
  if (r.out.empty() || r.out.back() != '\n') return "output does not end with a newline";
  if (r.status == 0) {
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return check_summary(r.out, lower.find(".vob") != std::string::npos);
  }
  if (r.status == 1) {
    static const char* const kFatal[] = {
        "Unable to open file %s for reading.",
        "Unable to read from file %s.",
        "No pack start code found in file %s.",
        "Unable to set file position.",
        "  Invalid bits in MPEG-1 file",
        "    pack header field flag value not allowed in program streams",
    };
    const auto prev = r.out.rfind('\n', r.out.size() - 2);
    const size_t start = prev == std::string::npos ? 0 : prev + 1;
    const std::string last = r.out.substr(start, r.out.size() - 1 - start);
    const auto is_map_text = [](const std::string& t) {
      return std::all_of(t.begin(), t.end(), [](char c) {
        return c == ' ' || c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      });
    };
    for (const char* f : kFatal) {
      const std::string message = replace_path(f, path);
      const bool exact = last == message;
      const bool behind_map =
          level >= 3 && last.size() > message.size() &&
          last.compare(last.size() - message.size(), message.size(), message) == 0 &&
          is_map_text(last.substr(0, last.size() - message.size()));
      if (exact || behind_map) {
        if (r.out.find("\n\nSummary:\n") != std::string::npos) return "summary before a fatal message";
        return "";
      }
    }
    return "exit status 1, last line is not a fatal message: \"" + last.substr(0, 200) + "\"";
  }
  return "exit status " + std::to_string(r.status);
}

bool is_stream_file(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".mpg" || ext == ".vob" || ext == ".m2p" || ext == ".bin";
}

}  // namespace

int main(int argc, char** argv) {
  int limit_s = 20;
  std::string levels = "1234";
  int opt;
  while ((opt = getopt(argc, argv, "t:l:")) != -1) {
    if (opt == 't') limit_s = std::atoi(optarg);
    else if (opt == 'l') levels = optarg;
    else return 2;
  }
  if (argc - optind < 2) {
    std::fprintf(stderr, "usage: check_outcome [-t SECONDS] [-l LEVELS] PSSIFT PATH...\n");
    return 2;
  }
  const std::string bin = argv[optind];
  std::vector<std::string> files;
  for (int i = optind + 1; i < argc; ++i) {
    const fs::path p = argv[i];
    if (fs::is_directory(p)) {
      for (const auto& e : fs::recursive_directory_iterator(p)) {
        if (e.is_regular_file() && is_stream_file(e.path())) files.push_back(e.path().string());
      }
    } else if (fs::exists(p)) {
      files.push_back(p.string());
    } else {
      std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
      return 2;
    }
  }
  std::sort(files.begin(), files.end());
  int passed = 0, failed = 0;
  for (const auto& f : files) {
    for (const char c : levels) {
      const int level = c - '0';
      const RunResult r = run_one(bin, f, level, limit_s);
      const std::string why = check(r, f, level);
      if (why.empty()) {
        ++passed;
      } else {
        ++failed;
        std::printf("FAIL: %s level %d: %s\n", f.c_str(), level, why.c_str());
      }
    }
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
