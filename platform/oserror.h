#pragma once

#include "platform/platformerror.h"

// What an operating system error number meant to reach: a folder or a file. A missing folder is
// "Path not found", a missing file "File not found".
enum class OsObject { Folder, File };

// The PlatformError the runtime reports for the system error err (an errno value).
PlatformError osError(int err, OsObject object);
[[noreturn]] void raiseOsError(int err, OsObject object);
