#include "platform/app.h"

#include <QCoreApplication>

namespace App {

QString Path()
{
    return QCoreApplication::applicationDirPath();
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

} // namespace App
