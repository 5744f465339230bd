#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/boxes/busycursor.h"
#include "window/main/frmmain.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// Markup a disc's label or a file's name may hold: a heading and a local image.
const QString Markup =
    QStringLiteral("<h1>BIG</h1><img src=\"/usr/share/pixmaps/debian-logo.png\">");

} // namespace

// Text from discs and from the user is shown as the characters it holds, never as markup.
class TestPlainText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every kind of box the program shows, as a person sees it (real boxes, not queued answers).
    void boxes_data()
    {
        QTest::addColumn<QString>("kind");
        // Every message box is one QMessageBox made alike: a question stands for them all.
        QTest::newRow("question (Remove Disc, Insert proper CD, not in a drive, an error)")
            << "yesno";
        QTest::newRow("input box") << "input";
    }
    void boxes()
    {
        QFETCH(QString, kind);
        MessageBox::setTestMode({}); // real boxes
        const QString text = QStringLiteral("The disc \"%1\" is not in a drive.").arg(Markup);
        QString seen = QStringLiteral("no box");
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            seen = QGuiApplication::overrideCursor() ? "a busy pointer over the box"
                                                     : labelsShowing(box, text);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        const BusyCursor busy; // the command's, lifted while the box waits for the user
        if (kind == QLatin1String("yesno"))
            showBox(text, QStringLiteral("Remove Disc"), BoxButtons::YesNo);
        else
            InputBox(text);
        QueuedBoxes restoreTestMode;
        QVERIFY2(seen.isEmpty(), qPrintable(seen));
    }

    // Find's line echoes a typed query as typed.
    void findLine()
    {
        QTemporaryDir dir;
        TestCatalogue::create(dir.path());
        QueuedBoxes boxes;
        frmMain w(testServices(dir.path()));
        w.Form_Load();
        w.mnuFind_Click();
        auto *find = w.findChild<QDialog *>(QStringLiteral("frmFind"));
        QVERIFY(find);
        find->findChild<QLineEdit *>(QStringLiteral("txtQuery"))
            ->setText(QStringLiteral("size:x<h1>BIG</h1>"));
        const QString seen = labelsShowing(find, QStringLiteral("<h1>BIG</h1>"));
        QVERIFY2(seen.isEmpty(), qPrintable(seen));
    }
};

QTEST_MAIN(TestPlainText)
#include "tst_plaintext.moc"
