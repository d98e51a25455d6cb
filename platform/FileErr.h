// File-system edge of the program: error codes, path text for system calls, whole-file reading
// and starting a detached program.
//
// Program strings (file names included) are code page 1251; the file system takes UTF-8 names.
// Both "\" and "/" separate path levels in the program's names: SysPath turns every "\" into "/"
// and the text into UTF-8 just before a system call; FromSysPath turns a name the system gave
// back into program text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The I/O error code the program reports for an errno value, in the DOS/Windows numbering:
// 2 file not found, 3 path not found, 4 too many open files, 5 access denied,
// 6 invalid handle, 8 not enough memory, 10 bad environment, 11 bad format, 17 not the same
// device, 18 no more files, 80 file exists, 112 disk full, 206 name too long, 223 file too large.
// Any other errno gives 1000 + errno. 0 gives 0.
int32_t DosErrorFromErrno(int err);
// The same for an error met on a name: a missing entry whose folder does not exist either is
// "path not found" (3) rather than "file not found" (2).
int32_t DosErrorForPath(int err, const std::string& name);

// Program path text (1251, either separator) -> the name handed to the system (UTF-8, "/").
std::string SysPath(const std::string& name);
// A name the system gave (UTF-8) -> program text (1251).
std::string FromSysPath(const std::string& name);

// Stat-based tests on a program name; false when the name is empty or the call fails.
bool PathExists(const std::string& name);      // any kind of entry
bool IsRegularFile(const std::string& name);   // a file (symbolic links followed), not a folder
bool IsDirectory(const std::string& name);     // a folder (symbolic links followed)
// The size of a file in bytes; -1 when it cannot be queried.
int64_t FileSizeOf(const std::string& name);

// Reads a whole file into bytes. Returns 0 or the I/O error code.
int32_t ReadWholeFile(const std::string& name, std::string& bytes);

// The process's current folder as program text (no trailing separator); empty on failure.
std::string CurrentDir();

// Starts program with args (no shell involved) in workDir (empty: the current folder) as a
// detached process: the call does not wait for it. True when the process could be started.
bool SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir);

}  // namespace platform
