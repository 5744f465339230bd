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

    void start(QProcess &process, const QString &catalogue, const QStringList &mode = {})
    {
        process.start(QStringLiteral(INDEXTREE), QStringList({catalogue, m_tree}) + mode);
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
            start(process, catalogue, {QStringLiteral("--slow")});
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

    // SIGTERM, SIGINT and SIGHUP end the program as Exit does: idle, or part-way through a run,
    // which stops as on Cancel. Afterwards data.mdb alone, copied without its neighbours, holds
    // every row the run wrote, whole, in rollback-journal mode, and no log is left beside it.
    void endedBySignal_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("idle");
        const std::pair<const char *, int> caught[] = {
            {"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
        for (const auto &[name, number] : caught) {
            QTest::addRow("%s, idle", name) << number << true;
            QTest::addRow("%s, during a run", name) << number << false;
        }
    }
    void endedBySignal()
    {
        QFETCH(int, number);
        QFETCH(bool, idle);
        const QString catalogue = freshCatalogue(QStringLiteral("signal.mdb"));
        QProcess process;
        QByteArray out;
        if (idle) {
            // A small part of the tree, indexed whole; the program then waits for its user.
            process.start(QStringLiteral(INDEXTREE),
                          {catalogue, m_tree + QStringLiteral("/folder 7"), "--stay"});
            QVERIFY(process.waitForStarted());
            while (!out.contains("idle")) {
                QVERIFY2(process.waitForReadyRead(60000), process.readAllStandardError());
                out += process.readAllStandardOutput();
            }
        } else {
            start(process, catalogue, {QStringLiteral("--slow")});
            QElapsedTimer waited;
            waited.start();
            while (rows(catalogue) < 1 && process.state() == QProcess::Running &&
                   waited.elapsed() < 60000)
                QThread::msleep(5);
            QCOMPARE(process.state(), QProcess::Running);
        }
        QCOMPARE(::kill(pid_t(process.processId()), number), 0);
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        out += process.readAllStandardOutput();
        const qsizetype at = out.indexOf("written ");
        QVERIFY2(at >= 0, out.constData());
        const qint64 written = out.mid(at + 8).trimmed().toLongLong();
        if (idle)
            QCOMPARE(written, 100);
        else
            QVERIFY2(written > 0 && written < Files, qPrintable(QString::number(written)));

        QVERIFY(!QFile::exists(catalogue + QStringLiteral("-wal")));
        QVERIFY(!QFile::exists(catalogue + QStringLiteral("-shm")));
        const QString copy = m_dir.filePath(QStringLiteral("signal-copy.mdb"));
        QFile::remove(copy);
        QVERIFY(QFile::copy(catalogue, copy));
        QCOMPARE(TestCatalogue::value(copy, "PRAGMA journal_mode"), "delete");
        QCOMPARE(TestCatalogue::value(copy, "PRAGMA integrity_check"), "ok");
        QCOMPARE(rows(copy), written);
        QCOMPARE(duplicates(copy), 0);
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

    // An update killed with SIGKILL at any moment leaves the catalogue whole, and a later one
    // brings the rows to the files (a quarter renamed, a quarter grown), keeping the IDs of the
    // files that are still there.
    void killedUpdate()
    {
        // The tree on a medium of its own, as a disc is.
        const QString medium = m_dir.filePath(QStringLiteral("medium"));
        QVERIFY(QDir().mkpath(medium));
        if (QProcess::execute("sh", {"-c", "mkfs.ext4 -q -F -N 50000 -d '" + m_tree + "' '" +
                                               medium + ".img' 64M && mount -o loop '" + medium +
                                               ".img' '" + medium + "'"}) != 0)
            QSKIP("loop mounting is refused here");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {medium}); });
        m_tree = medium;
        const QString catalogue = freshCatalogue(QStringLiteral("update.mdb"));
        QProcess first;
        start(first, catalogue);
        QVERIFY(first.waitForFinished(120000));
        const auto byPlace = [&catalogue] {
            QMap<QString, QString> rows; // path/file -> ID|Size
            for (const QString &row :
                 TestCatalogue::rows(catalogue, "Path || '/' || File, ID, Size"))
                rows.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1));
            return rows;
        };
        const QMap<QString, QString> before = byPlace();
        QMap<QString, QString> expected; // what the files are now
        for (int i = 0; i < Files; ++i) {
            const QString file =
                m_tree + QStringLiteral("/folder %1/file %2.dat").arg(i / 100).arg(i);
            const QString id = before.value(file).section(QLatin1Char('|'), 0, 0);
            if (i % 4 == 0) {
                QVERIFY(QFile::rename(file, file + ".new"));
            } else if (i % 4 == 1) {
                QVERIFY(QFile::resize(file, 5));
                expected.insert(file, id + "|5");
            } else {
                expected.insert(file, id + "|");
            }
        }
        for (int moment : {0, 40, 150}) {
            QProcess process;
            start(process, catalogue, {QStringLiteral("update")});
            QThread::msleep(moment);
            ::kill(pid_t(process.processId()), SIGKILL);
            process.waitForFinished();
            QCOMPARE(TestCatalogue::value(catalogue, "PRAGMA integrity_check"), "ok");
        }
        QProcess last;
        start(last, catalogue, {QStringLiteral("update")});
        QVERIFY(last.waitForFinished(120000));
        QVERIFY2(last.exitCode() == 0, last.readAllStandardError().constData());
        const QMap<QString, QString> after = byPlace();
        QCOMPARE(after.size(), Files);
        for (auto file = expected.cbegin(); file != expected.cend(); ++file)
            QCOMPARE(after.value(file.key()), file.value());
        for (int i = 0; i < Files; i += 4) // the renamed files are new rows
            QVERIFY(after.contains(
                m_tree + QStringLiteral("/folder %1/file %2.dat.new").arg(i / 100).arg(i)));
    }
};

QTEST_GUILESS_MAIN(TestIndexingProcesses)
#include "tst_indexingprocesses.moc"
