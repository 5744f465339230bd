#include "platform/oserror.h"

#include <cerrno>

PlatformError osError(int err, OsObject object)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        if (object == OsObject::File)
            return PlatformError(FileNotFound, QStringLiteral("File not found"));
        return PlatformError(PathNotFound, QStringLiteral("Path not found"));
    case EACCES:
    case EPERM:
        return PlatformError(PermissionDenied, QStringLiteral("Permission denied"));
    case EIO:
    case EUCLEAN:
        return PlatformError(DeviceIoError, QStringLiteral("Device I/O error"));
    case ENAMETOOLONG:
        return PlatformError(52, QStringLiteral("Bad file name or number"));
    case EMFILE:
    case ENFILE:
        return PlatformError(67, QStringLiteral("Too many files"));
    case ENOMEM:
        return PlatformError(7, QStringLiteral("Out of memory"));
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case ESTALE:
        return PlatformError(DiskNotReady, QStringLiteral("Disk not ready"));
    case ENOSPC:
        return PlatformError(DiskFull, QStringLiteral("Disk full"));
    default:
        return PlatformError(75, QStringLiteral("Path/File access error"));
    }
}

void raiseOsError(int err, OsObject object)
{
    throw osError(err, object);
}
