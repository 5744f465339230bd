#include "platform/dialogs.h"

#include "platform/app.h"

namespace {
Dialogs *g_dialogs = nullptr;

QString titleOrApp(const QString &title)
{
    return title.isEmpty() ? App::Title() : title;
}
} // namespace

void setDialogs(Dialogs *dialogs)
{
    g_dialogs = dialogs;
}
Dialogs *dialogs()
{
    return g_dialogs;
}

int MsgBox(const QString &prompt, int flags, const QString &title)
{
    if (!g_dialogs)
        return (flags & 0xF) == vbYesNo ? vbYes : vbOK;
    return g_dialogs->msgBox(prompt, flags, titleOrApp(title));
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (!g_dialogs)
        return QString();
    return g_dialogs->inputBox(prompt, titleOrApp(title), defaultText);
}

void reportUnhandledError(int number, const QString &description)
{
    MsgBox(QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description), vbCritical);
}
