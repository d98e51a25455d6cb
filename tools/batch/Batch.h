// The harness's commands: each file cmd_<area>.cpp registers its commands with a static
// TBatchCommand; main() looks them up by name. A command gets its arguments (UTF-8, after the
// command's name) and returns the exit status: 0 done, 1 failed, 2 bad arguments, 130 cancelled.
#pragma once
#include <functional>
#include <string>
#include <vector>

class TJob;
class TDM;

struct TBatchCommand {
  using TRun = std::function<int(const std::vector<std::string>& Args)>;
  TBatchCommand(std::string Name, std::string Usage, TRun Run);
};

namespace batch {
// Code page 1251 text as UTF-8 for the terminal, and back.
std::string U8(const std::string& Cp1251);
std::string Cp(const std::string& Utf8);
// Runs Work as a job: progress on stderr a few times a second, Ctrl-C cancels, the report at the
// end on stderr. The exit status of the job's outcome.
int RunAsJob(TJob& Job, const std::function<void(TJob&)>& Work);
// The application root of this program (the parent of its folder) made the application
// object's root, with the working-directory table loaded and the libraries' services installed.
void UseProgramRoot();
// Connects D to the line database File (the application root's when empty); false, with the
// file and the reason on standard error, when it cannot be used (a file it made is removed).
bool ConnectLineDb(TDM& D, const std::string& File);
// A failed command leaves no database it created: the file ConnectLineDb made for D is removed.
void DropNewLineDb(TDM& D, const std::string& File);
// False, with the file or folder and "not found" (or what it is instead) on standard error,
// when File is no regular file / Folder no folder. What names it ("table file", ...).
bool RequireFile(const std::string& File, const char* What);
bool RequireFolder(const std::string& Folder, const char* What);
// The arguments "[--db FILE] [--warn] ONE" of a line-database command: FILE into Db (code page
// 1251), ONE into One; --warn switches warnings on. False on any other argument or without ONE.
bool DbAndOne(const std::vector<std::string>& Args, std::string& Db, std::string& One);
// A scan folder as given (without a trailing "/"), or the folder of a scan name
// yyyymmdd_hhmmss under the scans' data root.
std::string ScanPath(const std::string& Arg);
// Prints the usage line of every command; returns 2.
int Usage();
}  // namespace batch
