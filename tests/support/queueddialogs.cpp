#include "support/queueddialogs.h"

QueuedDialogs::QueuedDialogs() : m_previous(dialogs())
{
    setDialogs(this);
}

QueuedDialogs::~QueuedDialogs()
{
    setDialogs(m_previous);
}

int QueuedDialogs::msgBox(const QString &prompt, int flags, const QString &title)
{
    shown.append({QStringLiteral("msgbox"), prompt, flags, title});
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return (flags & 0xF) == vbYesNo ? vbYes : vbOK;
}

QString QueuedDialogs::inputBox(const QString &prompt, const QString &title,
                                const QString &defaultText)
{
    shown.append({QStringLiteral("inputbox"), prompt, 0, title});
    return m_inputs.isEmpty() ? defaultText : m_inputs.takeFirst();
}

QList<QueuedDialogs::Shown> QueuedDialogs::messages() const
{
    QList<Shown> result;
    for (const Shown &s : shown)
        if (s.kind == QLatin1String("msgbox"))
            result.append(s);
    return result;
}
