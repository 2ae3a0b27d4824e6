#include "platform/errors/ErrorCodes.h"

#include <cerrno>

namespace platform {

int errorFromErrno(int err) {
    switch (err) {
    case 0:
        return NoError;
    case ENOENT:
        return ErrorFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return ErrorAccessDenied;
    case ENOTDIR:
        return ErrorDirectory;
    case ENAMETOOLONG:
        return ErrorFilenameExcedRange;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErrorDiskFull;
    case EMFILE:
    case ENFILE:
        return ErrorTooManyOpenFiles;
    case EEXIST:
        return ErrorFileExists;
    case ENOTEMPTY:
        return ErrorDirNotEmpty;
    case ENOMEM:
        return ErrorNotEnoughMemory;
    case EINVAL:
    case EFAULT:
        return ErrorInvalidParameter;
    case ELOOP:
        return ErrorPathNotFound;
    case EBUSY:
    case EAGAIN:
        return ErrorSharingViolation;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
        return ErrorNotReady;
    case EILSEQ:
        return ErrorInvalidName;
    default:
        return ErrorGenFailure; // EIO and the rest: the device failed
    }
}

} // namespace platform
