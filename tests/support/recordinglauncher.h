#pragma once

#include "platform/programlauncher.h"

#include <QStringList>

// Stands in for starting programs: records each path it is asked to start and starts nothing.
class RecordingLauncher : public ProgramLauncher
{
public:
    bool start(const QString &path) override
    {
        started.append(path);
        return startable;
    }

    QStringList started;
    bool startable = true; // false: as a program that cannot be started
};
