#pragma once

#include "platform/programlauncher.h"

#include <QStringList>

// Stands in for starting programs: records each path it is asked to start and starts nothing.
// Installed on construction, removed on destruction.
class RecordingLauncher : public ProgramLauncher
{
public:
    RecordingLauncher() { setProgramLauncher(this); }
    ~RecordingLauncher() override { setProgramLauncher(nullptr); }

    bool start(const QString &path, int windowStyle) override
    {
        started.append(path);
        styles.append(windowStyle);
        return true;
    }

    QStringList started;
    QList<int> styles;
};
