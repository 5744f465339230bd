#include "platform/endsignals.h"
#include "platform/mountedmedia.h"
#include "support/indexingfixture.h"
#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/main/frmmain.h"

#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include "window/discs/discsmodel.h"
#include "window/discs/frmdiscs.h"

#include <signal.h>

namespace {

// One medium, DATA1 1234-5678 as the volume query answers, mounted on root.
struct OneMedium : MountedMedia
{
    QString root;
    std::vector<MountedMedium> list() override { return {{root, "DATA1", 0x12345678, true}}; }
};

} // namespace

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
    QTemporaryDir m_home; // the home folder, where the New Disc run finds the tree mounted

private Q_SLOTS:
    void initTestCase()
    {
        // Mounts below the home folder are the ones a file manager shows; the New Disc offer's
        // "Do not ask again" is the test's own.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
        for (int i = 0; i < 1000; ++i) {
            if (i % 100 == 0)
                QVERIFY(QDir(m_tree.path()).mkdir(QStringLiteral("F%1").arg(i / 100)));
            QFile file(m_tree.filePath(QStringLiteral("F%1/file%2").arg(i / 100).arg(i)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }

    void cleanupTestCase()
    {
        QProcess::execute("umount", {m_home.filePath(QStringLiteral("disc"))});
    }

    // Each signal takes the one path; the child-process tests send all three. Every kind of run
    // is stopped as on Cancel and the program ends within 2 s, the log folded, with no box.
    void ended_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("run");
        QTest::newRow("SIGTERM, idle") << int(SIGTERM) << "";
        QTest::newRow("SIGHUP, Index Directory") << int(SIGHUP) << "index";
        QTest::newRow("SIGINT, Index from the Discs window") << int(SIGINT) << "discs";
        QTest::newRow("SIGTERM, Update") << int(SIGTERM) << "update";
        QTest::newRow("SIGTERM, New Disc") << int(SIGTERM) << "new disc";
    }
    void ended()
    {
        QFETCH(int, number);
        QFETCH(QString, run);
        QTemporaryDir folder;
        const QString data = TestCatalogue::create(folder.path());
        TestCatalogue::exec(data, QStringLiteral("INSERT INTO Files (Path, File) "
                                                 "VALUES ('/old', 'o.txt')"));
        if (run == QLatin1String("update"))
            TestCatalogue::exec(data, QStringLiteral("INSERT INTO Files (Path, File, Archive, "
                                                     "Serial) VALUES ('/old', 'u.txt', 'DATA1', "
                                                     "'1234-5678')"));
        OneMedium media;
        media.root = m_tree.path();
        const QString disc = m_home.filePath(QStringLiteral("disc"));
        if (run == QLatin1String("new disc")) {
            // A disc of the tree's files, mounted below the home folder as a file manager
            // shows it.
            const QString image = m_home.filePath(QStringLiteral("disc.img"));
            if (QProcess::execute("sh",
                                  {"-c", "PATH=/usr/sbin:/sbin:$PATH; exec >/dev/null; mkdir -p '" +
                                             disc + "' && mkfs.ext4 -q -F -d '" + m_tree.path() +
                                             "' '" + image + "' 16M && mount -o loop,ro '" + image +
                                             "' '" + disc + "' && umount '" + disc + "'"}) != 0)
                QSKIP("loop mounting is refused here");
        }
        QueuedBoxes boxes;
        int ended = 0;
        FixedVolumeQuery volume;
        SlowMetadata slow;
        Services services = testServices(folder.path(), &ended);
        services.volumes = &volume;
        services.metadata = &slow;
        services.media = &media;
        services.offerNewDiscs = run == QLatin1String("new disc");
        frmMain w(services);
        w.Form_Load();
        w.show();
        EndSignals endSignals;
        connect(&endSignals, &EndSignals::received, &w, &frmMain::cmdExit_Click);

        const QStringList before = TestCatalogue::rows(data);
        if (run.isEmpty()) {
            QCOMPARE(::raise(number), 0);
            QTRY_COMPARE(ended, 1);
            checkFolded(data, before);
            return;
        }
        if (run == QLatin1String("index")) {
            boxes.queueInput(m_tree.path());
            w.findChild<QPushButton *>(QStringLiteral("cmdIndexDirectory"))->click();
        } else if (run == QLatin1String("discs")) {
            w.mnuDiscs_Click();
            auto *discs = w.findChild<frmDiscs *>();
            auto *lines = discs->findChild<QTreeView *>(QStringLiteral("lvwDiscs"));
            for (int line = 0; line < discs->model().rowCount(); ++line)
                if (discs->model().disc(line).mountedAt == m_tree.path())
                    lines->selectionModel()->setCurrentIndex(discs->model().index(line, 0),
                                                             QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
            discs->findChild<QPushButton *>(QStringLiteral("cmdIndex"))->click();
        } else if (run == QLatin1String("update")) {
            QVERIFY(w.UpdateMedium(QStringLiteral("DATA1"), QStringLiteral("1234-5678")));
        } else {
            boxes.queueAnswer(BoxAnswer::Yes);
            media.root = disc;
            QCOMPARE(
                QProcess::execute("mount", {"-o", "loop,ro", m_home.filePath("disc.img"), disc}),
                0);
        }
        QTRY_VERIFY(w.runUnderWay());
        QTest::qWait(300);
        QVERIFY(w.runUnderWay());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(::raise(number), 0);
        QTRY_COMPARE(ended, 1);
        QVERIFY2(clock.elapsed() <= 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!w.runUnderWay());
        const QStringList rows = TestCatalogue::rows(data);
        QVERIFY2(rows.size() > before.size() && rows.size() < before.size() + 1000,
                 qPrintable(QString::number(rows.size())));
        QCOMPARE(boxes.messages().size(), int(run == QLatin1String("new disc"))); // the offer
        checkFolded(data, rows);
    }
};

QTEST_MAIN(TestEndSignals)
#include "tst_endsignals.moc"
