#include "platform/drives/Volumes.h"

#include "platform/drives/DriveLetter.h"
#include "platform/drives/DriveReading.h"
#include "platform/drives/DriveTable.h"
#include "platform/errors/ErrorCodes.h"

#include <optional>

namespace platform {

namespace {

std::optional<DriveFacts> factsOf(char letter) {
    letter = upperDriveLetter(letter);
    for (const Drive& drive : DriveReading::drives()) {
        if (drive.letter == letter) {
            std::vector<DriveFacts> facts = DriveTable::current().describe({drive});
            if (!facts.empty())
                return facts.front();
        }
    }
    return std::nullopt;
}

} // namespace

std::uint32_t logicalDrives() {
    std::uint32_t mask = 0;
    for (const Drive& drive : DriveReading::drives()) {
        if (drive.letter >= 'A' && drive.letter <= 'Z')
            mask |= 1u << (drive.letter - 'A');
    }
    return mask;
}

std::vector<DriveFacts> describeDrives() {
    return DriveTable::current().describe(DriveReading::drives());
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
