// System information on Linux, as the program asks for it:
// process names, drives and volumes, the system language, the keyboard layout and the lock keys,
// and the entries of a folder with their attributes and packed date-times.
//
// Substitutes:
// - There are no drive letters: a volume serial number is always 0; the free space of a folder
//   is the free space of the file system that holds it.
// - A process name is the executable's name from /proc/<pid>/exe, else /proc/<pid>/comm.
// - The system language comes from the locale variables (LC_ALL, LC_MESSAGES, LANG, in this
//   order of precedence) and is given as a Windows-style language id and name.
// - The keyboard layout is the program's own: a layout id held here, set by the program when it
//   switches between English (0x04090409) and Russian (0x04190419); the system's layout is
//   never changed. The lock-key states are held here as well and are off unless the program
//   (or its windows layer) records them.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace platform {

// Freed memory kept in the process for reuse (the C library's adaptive limits otherwise return
// large blocks to the system and fault them in again on the next scan's arrays). Called once at
// the start of a program.
void KeepFreedMemory();

// Number text independent of the user's locale: the C library's numeric locale set to "C"
// (printf, strtod and their kin write and read "." as the decimal point). Every program calls
// it at start, after the Qt application object, whose construction takes the locale from the
// environment.
void UseCNumbers();

// The executable name (without folder) of process Pid, as program text; empty when there is
// no such process or its name cannot be read.
std::string ProcessExeName(int64_t Pid);

// Volume serial number of a drive letter: always 0 (no drive letters here).
uint32_t VolumeSerialOf(char DriveLetter);

// Free bytes available on the file system of Folder (program text); -1 when it cannot be asked.
int64_t FreeBytesOf(const std::string& Folder);

// A language as the program names it: a 16-bit language id (primary language in the low ten
// bits, sub-language above) and its English name.
struct TLanguageInfo {
  uint16_t Id = 0;
  std::string Name;
};
// The language of a locale name such as "ru_RU.UTF-8", "en_GB", "de" or "C". "C", "POSIX" and
// empty names give English (United States); unknown languages give id 0, "Language Neutral".
TLanguageInfo LanguageOfLocale(const std::string& Locale);
// The language of the process's locale variables.
TLanguageInfo SystemLanguage();

// The program's keyboard layout id (the English layout 0x04090409 at start).
uint32_t KeyboardLayout();
void SetKeyboardLayout(uint32_t Layout);
// Makes the layout named by an eight-digit hexadecimal layout name ("00000409", "00000419")
// the program's layout and returns its id (0x04090409, 0x04190419); 0 and no change for a
// name that is not hexadecimal.
uint32_t LoadKeyboardLayout(const std::string& LayoutName);

// Lock keys by letter: 'C' CapsLock, 'N' NumLock, 'S' ScrollLock. False unless recorded on.
bool LockKeyOn(char Letter);
void SetLockKeyOn(char Letter, bool On);

// Attribute bits of folder entries, in the program's numbering.
constexpr uint16_t faReadOnly = 0x01;
constexpr uint16_t faHidden = 0x02;
constexpr uint16_t faDirectory = 0x10;
constexpr uint16_t faArchive = 0x20;

// One entry of a folder. Name is program text; Time is a packed DOS date-time of the last
// write in local time; Size is 0 for folders.
struct TDirEntry {
  std::string Name;
  uint16_t Attr = 0;
  int32_t Time = 0;
  int64_t Size = 0;
};
// The entries of Folder (program text, either separator; empty = the current folder) in the
// order the file system gives them, "." and ".." included. Regular files and folders only
// (links are followed; devices, pipes, sockets and broken links are left out). Names starting
// with "." other than "." and ".." are hidden; files without write permission are read-only;
// every file carries the archive bit. False when the folder cannot be read.
bool ReadDirEntries(const std::string& Folder, std::vector<TDirEntry>& Entries);

// Packed DOS date-time (date in the high word) of a time in local time; times before 1980 give
// 1 January 1980 00:00, times after 2107 the last representable stamp.
int32_t DosDateTimeOf(std::time_t T);

}  // namespace platform
