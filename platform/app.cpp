#include "platform/app.h"

#include <QCoreApplication>

namespace {
QString &pathOverride()
{
    static QString path;
    return path;
}
} // namespace

namespace App {

QString Path()
{
    return pathOverride().isEmpty() ? QCoreApplication::applicationDirPath() : pathOverride();
}

QString Title()
{
    return QStringLiteral("Vellumark");
}
int Major()
{
    return VELLUMARK_VERSION_MAJOR;
}
int Minor()
{
    return VELLUMARK_VERSION_MINOR;
}
int Revision()
{
    return VELLUMARK_VERSION_PATCH;
}

void setPathForTesting(const QString &path)
{
    pathOverride() = path;
}

} // namespace App
