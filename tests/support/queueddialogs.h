#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QStringList>

// Stands in for the boxes in tests: answers are queued beforehand, as a person would click them,
// and every box shown is recorded. Installed on construction, removed on destruction.
class QueuedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "msgbox" or "inputbox"
        QString text;
        int flags;
        QString title;
    };

    QueuedDialogs();
    ~QueuedDialogs() override;

    void queueAnswer(int button) { m_answers.append(button); }
    void queueInput(const QString &text) { m_inputs.append(text); }

    int msgBox(const QString &prompt, int flags, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;

    QList<Shown> shown;
    QList<Shown> messages() const;

private:
    QList<int> m_answers;
    QStringList m_inputs;
    Dialogs *m_previous;
};
