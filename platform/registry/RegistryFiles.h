#pragma once

#include <cstdint>
#include <string>

// Care of the registry database's files, apart from what is in them: its folder, the modes of
// the file and its side files, moving a damaged one aside, and the folder lock under which a
// process checks and repairs them.
namespace platform::registryfiles {

enum class FolderLock { Locked, Busy, Failed };

// The folder that holds the file.
std::string folderOf(const std::string& file);

bool exists(const std::string& path);
bool mayWrite(const std::string& path);
// 0 for a file that cannot be looked at.
std::int64_t fileSize(const std::string& path);
// Size and time of a file, which change with every write to it; false when it cannot be
// looked at.
bool changeMark(const std::string& path, std::int64_t& mark);

// Creates every missing level with owner-only access.
int makeFolder(const std::string& folder);

// The folder's descriptor for tryLockFolder, or -1; closing it releases the lock.
int openFolder(const std::string& folder);
void closeFolder(int folderFd);
// One attempt to lock the folder for this process alone; Busy while another holds it.
FolderLock tryLockFolder(int folderFd);

// Creates the file with owner-only access unless it exists.
void createPrivateFile(const std::string& file);
// Gives side files left with another mode the database's mode back.
void repairSideFiles(const std::string& file);
// Whether the file may be a database: false for one SQLite must not be given.
bool mayBeDatabase(const std::string& file);
// Renames the file to <file>.corrupt-<time> together with its side files.
int moveAside(const std::string& file);

} // namespace platform::registryfiles
