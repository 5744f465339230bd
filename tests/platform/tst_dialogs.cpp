#include "support/queueddialogs.h"

#include <QtTest>

// Boxes given no title bear the application title.
class TestDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void untitledBoxesBearTheApplicationTitle()
    {
        QueuedDialogs boxes;
        boxes.queueInput(QStringLiteral("typed"));
        QCOMPARE(InputBox(QStringLiteral("Prompt")), QStringLiteral("typed"));
        QCOMPARE(MsgBox(QStringLiteral("Hello"), vbYesNo), int(vbYes));
        MsgBox(QStringLiteral("x"), vbCritical, QStringLiteral("Error"));
        QCOMPARE(boxes.shown.size(), 3);
        QCOMPARE(boxes.shown[0].title, QStringLiteral("Vellumark"));
        QCOMPARE(boxes.shown[1].title, QStringLiteral("Vellumark"));
        QCOMPARE(boxes.shown[2].title, QStringLiteral("Error"));
    }
};

QTEST_GUILESS_MAIN(TestDialogs)
#include "tst_dialogs.moc"
