#include "platform/testing/FakeDriveTable.h"

#include "platform/drives/DriveLetter.h"
#include "platform/drives/HostPaths.h"
#include "platform/drives/Paths.h"
#include "platform/errors/ErrorCodes.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
DriveFacts fixedDrive() {
    DriveFacts facts;
    facts.remoteError = 2250; // not a network connection
    facts.casePreserved = true;
    facts.caseSensitive = true;
    return facts;
}
} // namespace

FakeDriveTable::FakeDriveTable()
    : m_previous(DriveTable::install(this))
    , m_workingDirectory(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    m_drives['C'] = Drive{'C', "/", true};
    setFacts('C', fixedDrive());
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
    m_facts[letter] = fixedDrive();
    resetCurrentDirectories();
}

void FakeDriveTable::mapNotReady(char letter) {
    letter = upperDriveLetter(letter);
    m_drives[letter] = Drive{letter, "/nonexistent-medium-" + std::string(1, letter), false};
    DriveFacts facts;
    facts.kind = DriveKind::Removable;
    facts.volumeError = ErrorNotReady;
    facts.remoteError = ErrorNotReady;
    m_facts[letter] = facts;
    resetCurrentDirectories();
}

void FakeDriveTable::unmap(char letter) {
    m_drives.erase(upperDriveLetter(letter));
    m_facts.erase(upperDriveLetter(letter));
    resetCurrentDirectories();
}

void FakeDriveTable::setFacts(char letter, const DriveFacts& facts) {
    letter = upperDriveLetter(letter);
    m_facts[letter] = facts;
    m_facts[letter].letter = letter;
}

DriveFacts FakeDriveTable::facts(char letter) const {
    const auto found = m_facts.find(upperDriveLetter(letter));
    return found == m_facts.end() ? DriveFacts{} : found->second;
}

std::vector<Drive> FakeDriveTable::drives() const {
    ++m_reads;
    std::vector<Drive> result;
    for (const auto& [letter, drive] : m_drives)
        result.push_back(drive);
    return result;
}

std::vector<DriveFacts> FakeDriveTable::describe(const std::vector<Drive>& drives) const {
    std::vector<DriveFacts> result;
    for (const Drive& drive : drives) {
        DriveFacts facts = this->facts(drive.letter);
        facts.letter = drive.letter;
        result.push_back(facts);
    }
    return result;
}

} // namespace platform
