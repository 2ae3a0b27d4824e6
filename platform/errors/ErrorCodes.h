#pragma once

// The target platform's error codes, which the program keeps so that its messages stay the same.
namespace platform {

enum ErrorCode : int {
    NoError = 0,
    ErrorFileNotFound = 2,
    ErrorPathNotFound = 3,
    ErrorTooManyOpenFiles = 4,
    ErrorAccessDenied = 5,
    ErrorNotEnoughMemory = 8,
    ErrorInvalidDrive = 15,
    ErrorNotReady = 21,
    ErrorGenFailure = 31,
    ErrorSharingViolation = 32,
    ErrorFileExists = 80,
    ErrorInvalidParameter = 87,
    ErrorDiskFull = 112,
    ErrorInvalidName = 123,
    ErrorDirNotEmpty = 145,
    ErrorFilenameExcedRange = 206,
    ErrorDirectory = 267,
};

// Maps an errno value to the nearest target-platform error code.
int errorFromErrno(int err);

} // namespace platform
