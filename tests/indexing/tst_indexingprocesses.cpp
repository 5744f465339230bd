#include "support/testcatalogue.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Files = 40000;

qint64 rows(const QString &file)
{
    return TestCatalogue::value(file, "SELECT count(*) FROM Files").toLongLong();
}

qint64 duplicates(const QString &file)
{
    return TestCatalogue::value(file, "SELECT count(*) FROM (SELECT 1 FROM Files GROUP BY Path, "
                                      "File, Archive, Serial HAVING count(*) > 1)")
        .toLongLong();
}

} // namespace

// The indexer in processes of its own: killed part-way, and two at once on one tree.
class TestIndexingProcesses : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tree;

    QString freshCatalogue(const QString &name)
    {
        QFile::remove(m_dir.filePath(name));
        return TestCatalogue::create(m_dir.path(), name);
    }

    void start(QProcess &process, const QString &catalogue)
    {
        process.start(QStringLiteral(INDEXTREE), {catalogue, m_tree});
        QVERIFY(process.waitForStarted());
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_tree = m_dir.filePath(QStringLiteral("tree"));
        const QByteArray tree = QFile::encodeName(m_tree);
        QCOMPARE(::mkdir(tree.constData(), 0755), 0);
        for (int i = 0; i < Files; ++i) {
            const QByteArray folder = tree + "/folder " + QByteArray::number(i / 100);
            if (i % 100 == 0)
                QCOMPARE(::mkdir(folder.constData(), 0755), 0);
            const int fd = ::open((folder + "/file " + QByteArray::number(i) + ".dat").constData(),
                                  O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
    }

    // Killed with SIGKILL at each moment (0: at once; n: once n more rows are visible), the
    // catalogue stays whole and keeps every committed row; a last run completes it once.
    void killedRuns_data()
    {
        QTest::addColumn<QList<int>>("moments");
        QTest::newRow("at once, then after a group") << QList<int>({0, 1});
        QTest::newRow("part-way, three times") << QList<int>({1, Files / 4, Files / 4});
    }
    void killedRuns()
    {
        QFETCH(QList<int>, moments);
        const QString catalogue = freshCatalogue(QStringLiteral("killed.mdb"));
        qint64 before = 0;
        for (int moment : moments) {
            QProcess process;
            start(process, catalogue);
            QElapsedTimer waited;
            waited.start();
            while (moment > 0 && rows(catalogue) < before + moment &&
                   process.state() == QProcess::Running && waited.elapsed() < 60000)
                QThread::msleep(5);
            ::kill(pid_t(process.processId()), SIGKILL);
            process.waitForFinished();
            QCOMPARE(TestCatalogue::value(catalogue, "PRAGMA integrity_check"), "ok");
            const qint64 now = rows(catalogue);
            QVERIFY2(now >= before, qPrintable(QStringLiteral("%1 < %2").arg(now).arg(before)));
            before = now;
        }
        QProcess last;
        start(last, catalogue);
        QVERIFY(last.waitForFinished(120000));
        QCOMPARE(last.exitCode(), 0);
        QCOMPARE(rows(catalogue), Files);
        QCOMPARE(duplicates(catalogue), 0);
    }

    void twoProcessesOnOneTree()
    {
        const QString catalogue = freshCatalogue(QStringLiteral("two.mdb"));
        QProcess first, second;
        start(first, catalogue);
        start(second, catalogue);
        QVERIFY(first.waitForFinished(120000));
        QVERIFY(second.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(rows(catalogue), Files);
        QCOMPARE(duplicates(catalogue), 0);
    }
};

QTEST_GUILESS_MAIN(TestIndexingProcesses)
#include "tst_indexingprocesses.moc"
