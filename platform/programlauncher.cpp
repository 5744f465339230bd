#include "platform/programlauncher.h"

#include "platform/platformerror.h"

#include <QProcess>

namespace {
ProgramLauncher *g_launcher = nullptr;
} // namespace

bool DetachedLauncher::start(const QString &path, int windowStyle)
{
    Q_UNUSED(windowStyle);
    // The path is the program itself, never split into words.
    return !path.isEmpty() && QProcess::startDetached(path, QStringList());
}

void setProgramLauncher(ProgramLauncher *launcher)
{
    g_launcher = launcher;
}

ProgramLauncher *programLauncher()
{
    static DetachedLauncher real;
    return g_launcher ? g_launcher : &real;
}

void Shell(const QString &pathName, int windowStyle)
{
    if (pathName.isEmpty())
        throw PlatformError(5, QStringLiteral("Invalid procedure call or argument"));
    if (!programLauncher()->start(pathName, windowStyle))
        throw PlatformError(53, QStringLiteral("File not found"));
}
