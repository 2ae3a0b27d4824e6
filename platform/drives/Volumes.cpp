#include "platform/drives/Volumes.h"

#include "platform/drives/DriveTable.h"
#include "platform/errors/ErrorCodes.h"

#include <optional>

namespace platform {

namespace {

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::optional<DriveFacts> factsOf(char letter) {
    letter = asciiUpper(letter);
    const DriveTable& table = DriveTable::current();
    for (const Drive& drive : table.drives()) {
        if (drive.letter == letter) {
            std::vector<DriveFacts> facts = table.describe({drive});
            if (!facts.empty())
                return facts.front();
        }
    }
    return std::nullopt;
}

} // namespace

std::uint32_t logicalDrives() {
    std::uint32_t mask = 0;
    for (const Drive& drive : DriveTable::current().drives()) {
        if (drive.letter >= 'A' && drive.letter <= 'Z')
            mask |= 1u << (drive.letter - 'A');
    }
    return mask;
}

std::vector<DriveFacts> describeDrives() {
    const DriveTable& table = DriveTable::current();
    return table.describe(table.drives());
}

DriveKind driveKind(char letter) {
    const std::optional<DriveFacts> facts = factsOf(letter);
    return facts ? facts->kind : DriveKind::NoRootDir;
}

int volumeInformation(char letter, VolumeInformation& volume) {
    volume = VolumeInformation{};
    const std::optional<DriveFacts> facts = factsOf(letter);
    if (!facts)
        return ErrorInvalidDrive;
    if (facts->volumeError != NoError)
        return facts->volumeError;
    volume.label = facts->label;
    volume.casePreserved = facts->casePreserved;
    volume.caseSensitive = facts->caseSensitive;
    return NoError;
}

int remoteName(char letter, std::string& name) {
    name.clear();
    const std::optional<DriveFacts> facts = factsOf(letter);
    if (!facts)
        return ErrorInvalidDrive;
    if (facts->remoteError != NoError)
        return facts->remoteError;
    if (facts->remoteName.empty())
        return ErrorPathNotFound; // not a network drive
    name = facts->remoteName;
    return NoError;
}

} // namespace platform
