#include "support/queuedboxes.h"

#include <QLabel>
#include <QtTest>

namespace {
void failUnanswered(const QString &prompt)
{
    QTest::qFail(qPrintable(QStringLiteral("a box with no answer queued: ") + prompt), __FILE__,
                 __LINE__);
}
} // namespace

QueuedBoxes::QueuedBoxes()
{
    MessageBox::setTestMode(failUnanswered);
}

QueuedBoxes::~QueuedBoxes()
{
    if (MessageBox::answersLeft() > 0)
        QTest::qFail("answers queued for boxes that were never shown", __FILE__, __LINE__);
    // Still no real box after this: one would wait for a click that never comes.
    MessageBox::setTestMode(failUnanswered);
}

QList<MessageBox::Shown> QueuedBoxes::messages() const
{
    QList<MessageBox::Shown> result;
    for (const MessageBox::Shown &s : shown())
        if (!s.input)
            result.append(s);
    return result;
}

QString look(const MessageBox::Shown &box)
{
    static const char *const buttons[] = {"OK", "Yes No", "Yes No, No default"};
    return QLatin1String(buttons[int(box.buttons)]) + (box.icon == BoxIcon::Stop ? " stop" : "");
}

QString labelsShowing(const QWidget *widget, const QString &text)
{
    int found = 0;
    for (const QLabel *label : widget->findChildren<QLabel *>()) {
        if (!label->text().contains(text))
            continue;
        ++found;
        if (label->textFormat() != Qt::PlainText)
            return QStringLiteral("shown as markup: ") + label->text();
    }
    return found ? QString() : QStringLiteral("no label shows ") + text;
}
