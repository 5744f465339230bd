#pragma once

#include "platform/programlauncher.h"

#include <QStringList>

// Stands in for starting programs: records each path it is asked to start and starts nothing.
class RecordingLauncher : public ProgramLauncher
{
public:
    bool start(const QString &path, int windowStyle) override
    {
        started.append(path);
        styles.append(windowStyle);
        return true;
    }

    QStringList started;
    QList<int> styles;
};
