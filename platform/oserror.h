#pragma once

#include "platform/platformerror.h"

// The runtime's numbers for the failures of files and devices.
enum RuntimeError {
    FileNotFound = 53,
    DeviceIoError = 57,
    DiskFull = 61,
    PermissionDenied = 70,
    DiskNotReady = 71,
    PathNotFound = 76,
};

// What an operating system error number meant to reach: a folder or a file. A missing folder is
// "Path not found", a missing file "File not found".
enum class OsObject { Folder, File };

// The PlatformError the runtime reports for the system error err (an errno value).
PlatformError osError(int err, OsObject object);
[[noreturn]] void raiseOsError(int err, OsObject object);
