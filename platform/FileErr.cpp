#include "platform/FileErr.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CodePage.h"

namespace platform {

int32_t DosErrorFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case E2BIG: return 10;
    case ENOEXEC: return 11;
    case EXDEV: return 17;
    case EEXIST: return 80;
    case ENOSPC: return 112;
    case ENAMETOOLONG: return 206;
    case EFBIG: return 223;
    default: return 1000 + err;
  }
}

int32_t DosErrorForPath(int err, const std::string& name) {
  if (err == ENOENT) {
    size_t p = name.find_last_of("\\/");
    if (p != std::string::npos && p > 0 && !IsDirectory(name.substr(0, p))) return 3;
  }
  return DosErrorFromErrno(err);
}

std::string SysPath(const std::string& name) {
  std::string s = name;
  for (char& c : s)
    if (c == '\\') c = '/';
  return Cp1251ToUtf8(s);
}

std::string FromSysPath(const std::string& name) { return Utf8ToCp1251(name); }

namespace {
bool StatOf(const std::string& name, struct stat& st) {
  if (name.empty()) return false;
  return ::stat(SysPath(name).c_str(), &st) == 0;
}
}  // namespace

bool PathExists(const std::string& name) {
  if (name.empty()) return false;
  struct stat st;
  return ::lstat(SysPath(name).c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& name) {
  struct stat st;
  return StatOf(name, st) && !S_ISDIR(st.st_mode);
}

bool IsDirectory(const std::string& name) {
  struct stat st;
  return StatOf(name, st) && S_ISDIR(st.st_mode);
}

int64_t FileSizeOf(const std::string& name) {
  struct stat st;
  if (!StatOf(name, st)) return -1;
  return static_cast<int64_t>(st.st_size);
}

int32_t ReadWholeFile(const std::string& name, std::string& bytes) {
  bytes.clear();
  int fd = ::open(SysPath(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return DosErrorForPath(errno, name);
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      bytes.clear();
      return DosErrorFromErrno(e);
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return 0;
}

std::string CurrentDir() {
  std::vector<char> buf(4096);
  for (;;) {
    if (::getcwd(buf.data(), buf.size())) return FromSysPath(buf.data());
    if (errno != ERANGE || buf.size() > (1u << 20)) return {};
    buf.resize(buf.size() * 2);
  }
}

bool SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir) {
  // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
  std::vector<std::string> argStore;
  argStore.push_back(program);
  for (const auto& a : args) argStore.push_back(a);
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string dir = workDir.empty() ? std::string() : SysPath(workDir);

  // A close-on-exec pipe tells whether exec succeeded: it closes without data on success and
  // carries the errno on failure.
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(pipefd[0]);
    ::close(pipefd[1]);
    return false;
  }
  if (child == 0) {
    // The intermediate child starts the program and leaves as soon as exec is done, so the
    // program is adopted by init and never becomes a zombie of this process.
    ::close(pipefd[0]);
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      int devnull = ::open("/dev/null", O_RDONLY);
      if (devnull >= 0) {
        ::dup2(devnull, 0);
        if (devnull != 0) ::close(devnull);
      }
      int err = 0;
      if (!dir.empty() && ::chdir(dir.c_str()) != 0) {
        err = errno;
      } else {
        ::execvp(argv[0], argv.data());
        err = errno;
      }
      ssize_t w = ::write(pipefd[1], &err, sizeof err);
      (void)w;
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(pipefd[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  bool started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  int err = 0;
  ssize_t n;
  while ((n = ::read(pipefd[0], &err, sizeof err)) < 0 && errno == EINTR) {
  }
  ::close(pipefd[0]);
  return started && n == 0;
}

}  // namespace platform
