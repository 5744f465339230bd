#include "platform/programlauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

bool DetachedLauncher::start(const QString &path)
{
    // The path is the program itself, never split into words.
    return !path.isEmpty() && QProcess::startDetached(path, QStringList());
}

QString systemInformationProgram()
{
    static const char *const candidates[] = {"hardinfo2", "hardinfo", "kinfocenter", "cpu-x",
                                             "lshw-gtk"};
    for (const char *name : candidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return QFileInfo(path).absoluteFilePath();
    }
    return QString();
}
