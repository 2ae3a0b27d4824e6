#include "platform/testing/FakeDriveTable.h"

#include "platform/drives/DriveLetter.h"
#include "platform/drives/HostPaths.h"
#include "platform/drives/Paths.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

FakeDriveTable::FakeDriveTable()
    : m_previous(DriveTable::install(this))
    , m_workingDirectory(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    m_drives['C'] = Drive{'C', "/", true};
    resetCurrentDirectories();
}

FakeDriveTable::~FakeDriveTable() {
    DriveTable::install(m_previous);
    if (m_workingDirectory >= 0) {
        if (fchdir(m_workingDirectory) != 0) {
            // The directory is gone; the reset below starts from wherever the host is.
        }
        close(m_workingDirectory);
    }
    resetCurrentDirectories();
}

void FakeDriveTable::map(char letter, const std::string& hostRoot) {
    letter = upperDriveLetter(letter);
    m_drives[letter] = Drive{letter, host::normalize(hostRoot), true};
    resetCurrentDirectories();
}

void FakeDriveTable::mapNotReady(char letter) {
    letter = upperDriveLetter(letter);
    m_drives[letter] = Drive{letter, "/nonexistent-medium-" + std::string(1, letter), false};
    resetCurrentDirectories();
}

void FakeDriveTable::unmap(char letter) {
    m_drives.erase(upperDriveLetter(letter));
    resetCurrentDirectories();
}

std::vector<Drive> FakeDriveTable::drives() const {
    std::vector<Drive> result;
    for (const auto& [letter, drive] : m_drives)
        result.push_back(drive);
    return result;
}

} // namespace platform
