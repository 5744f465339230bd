#include "platform/endsignals.h"
#include "support/indexingfixture.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/frmmain.h"

#include <QPushButton>
#include <QtTest>

#include <signal.h>

// SIGTERM, SIGINT and SIGHUP reach the main window through the event loop, as start-up wires
// them, and end the program as Exit does; a run under way stops first as on Cancel.
class TestEndSignals : public QObject
{
    Q_OBJECT

    // data.mdb alone, copied without its neighbours, holds these rows; no log is left.
    void checkFolded(const QString &data, const QStringList &rows)
    {
        QVERIFY(!QFile::exists(data + QStringLiteral("-wal")));
        const QString copy = data + QStringLiteral(".copy");
        QVERIFY(QFile::copy(data, copy));
        QCOMPARE(TestCatalogue::rows(copy), rows);
    }

    QTemporaryDir m_tree; // 1000 empty files, in ten folders

private Q_SLOTS:
    void initTestCase()
    {
        for (int i = 0; i < 1000; ++i) {
            if (i % 100 == 0)
                QVERIFY(QDir(m_tree.path()).mkdir(QStringLiteral("F%1").arg(i / 100)));
            QFile file(m_tree.filePath(QStringLiteral("F%1/file%2").arg(i / 100).arg(i)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }

    // Each signal takes the one path; the child-process tests send all three.
    void ended_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("idle");
        QTest::newRow("SIGTERM, idle") << int(SIGTERM) << true;
        QTest::newRow("SIGHUP, during a run") << int(SIGHUP) << false;
    }
    void ended()
    {
        QFETCH(int, number);
        QFETCH(bool, idle);
        QTemporaryDir folder;
        const QString data = TestCatalogue::create(folder.path());
        TestCatalogue::exec(data, QStringLiteral("INSERT INTO Files (Path, File) "
                                                 "VALUES ('/old', 'o.txt')"));
        QueuedBoxes boxes;
        int ended = 0;
        FixedVolumeQuery volume;
        SlowMetadata slow;
        Services services = testServices(folder.path(), &ended);
        services.volumes = &volume;
        services.metadata = &slow;
        frmMain w(services);
        w.Form_Load();
        w.show();
        EndSignals endSignals;
        connect(&endSignals, &EndSignals::received, &w, &frmMain::endOnSignal);

        if (idle) {
            QCOMPARE(::raise(number), 0);
            QTRY_COMPARE(ended, 1);
            checkFolded(data, {QStringLiteral("o.txt")});
            return;
        }
        boxes.queueInput(m_tree.path());
        int endedBefore = -1;
        QTimer::singleShot(300, [&] {
            endedBefore = ended;
            ::raise(number);
        });
        w.findChild<QPushButton *>(QStringLiteral("cmdIndexDirectory"))->click();
        QCOMPARE(endedBefore, 0);
        QCOMPARE(ended, 1);
        const QStringList rows = TestCatalogue::rows(data);
        QVERIFY2(rows.size() > 1 && rows.size() < 1001, qPrintable(QString::number(rows.size())));
        QVERIFY(boxes.messages().isEmpty());
        checkFolded(data, rows);
    }
};

QTEST_MAIN(TestEndSignals)
#include "tst_endsignals.moc"
