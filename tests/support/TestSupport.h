// Helpers shared by the tests: a temporary folder that removes itself, and file helpers.
#pragma once
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "cvtest-XXXXXX").string();
    char* p = mkdtemp(tmpl.data());
    path_ = p ? std::filesystem::path(p) : std::filesystem::path(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The source tree (tests read data/ and tests/data/ there, never write).
inline std::string SourceRoot() { return CORVESTA_SOURCE_ROOT; }

inline void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream f(name, std::ios::binary);
  f << bytes;
}

inline std::string ReadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs a command line through the shell: what it writes to standard output, and in Status (when
// given) its exit status, -1 when it could not run or did not end normally.
inline std::string RunShell(const std::string& Command, int* Status = nullptr) {
  std::string out;
  FILE* p = popen(Command.c_str(), "r");
  if (!p) {
    if (Status) *Status = -1;
    return out;
  }
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  const int st = pclose(p);
  if (Status) *Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

#ifdef CORVESTA_BATCH
// A run of the command-line harness: its exit status and what it wrote (standard output and
// standard error together).
struct TBatchRun {
  int status = -1;
  std::string out;
};

// Runs the harness with Args (after Prefix, e.g. a variable setting for the shell).
inline TBatchRun RunBatch(const std::string& Args, const std::string& Prefix = std::string()) {
  TBatchRun r;
  r.out = RunShell(Prefix + "'" + std::string(CORVESTA_BATCH) + "' " + Args + " 2>&1", &r.status);
  return r;
}
#endif

}  // namespace testsupport
