#include "platform/programlauncher.h"

#include "platform/oserror.h"

#include <QProcess>

#include <cerrno>

bool DetachedLauncher::start(const QString &path, int windowStyle)
{
    Q_UNUSED(windowStyle);
    // The path is the program itself, never split into words.
    return !path.isEmpty() && QProcess::startDetached(path, QStringList());
}

void Shell(ProgramLauncher &launcher, const QString &pathName, int windowStyle)
{
    if (pathName.isEmpty())
        throw PlatformError(5, QStringLiteral("Invalid procedure call or argument"));
    if (!launcher.start(pathName, windowStyle))
        throw osError(ENOENT, OsObject::File);
}
