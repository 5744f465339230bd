#pragma once

#include "platform/registry.h"

#include <QString>

// Reads one registry value as text into KeyVal. False, with KeyVal "", when the key cannot be
// opened or the value cannot be read. A string is read up to 1024 bytes with its terminator; a
// 32-bit number becomes its decimal text; a value of another type leaves KeyVal as passed.
// Raises PlatformError 5 for a value stored with no data.
bool GetKeyValue(Registry &registry, HKEY KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                 QString &KeyVal);

class ProgramLauncher;

// Starts the system-information program named in the registry through launcher, or tells the
// user that it is unavailable.
void StartSysInfo(Registry &registry, ProgramLauncher &launcher);
