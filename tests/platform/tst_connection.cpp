#include "catalogue/schema.h"
#include "platform/connection.h"
#include "platform/recordset.h"
#include "platform/statement.h"
#include "platform/transaction.h"
#include "support/testcatalogue.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {

void writeFile(const QString &file, const QByteArray &content)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// The folder's names and contents, side files included.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        files.insert(name, TestCatalogue::content(dir + QLatin1Char('/') + name));
    return files;
}

} // namespace

// The catalogue file around the connection: what is refused untouched, what opens read-only or
// damaged, and what the file holds after the connection ends.
class TestConnection : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Connection m_cn;

    QString path(const QString &name = QStringLiteral("data.mdb")) const
    {
        return m_dir.filePath(name);
    }
    void open(const QString &file)
    {
        m_cn.setProvider(QLatin1String(Connection::JetProvider));
        m_cn.setCheck(Schema::check);
        m_cn.Open(file);
    }

private Q_SLOTS:
    void init()
    {
        m_cn.Close();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void fileThatIsNoCatalogueIsLeftUntouched_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("told");
        QTest::newRow("zero-length") << "empty" << 26 << "damaged";
        QTest::newRow("text") << "text" << 26 << "not a database";
        QTest::newRow("directory") << "directory" << 3024 << "Could not find";
        QTest::newRow("no table") << "no table" << 1 << "no such table: Files";
        QTest::newRow("no table, log mode") << "no table wal" << 1 << "no such table: Files";
    }
    void fileThatIsNoCatalogueIsLeftUntouched()
    {
        QFETCH(QString, make);
        QFETCH(int, number);
        QFETCH(QString, told);
        if (make == QLatin1String("empty"))
            writeFile(path(), QByteArray());
        else if (make == QLatin1String("text"))
            writeFile(path(), QByteArray("Path;File\n/disc;a.txt\n").repeated(200));
        else if (make == QLatin1String("directory"))
            QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("data.mdb")));
        else
            TestCatalogue::exec(path(), make.endsWith(QLatin1String("wal"))
                                            ? QStringLiteral("PRAGMA journal_mode=WAL; CREATE "
                                                             "TABLE Other (ID INTEGER)")
                                            : QStringLiteral("CREATE TABLE Other (ID INTEGER)"));
        const auto before = snapshot(m_dir.path());
        try {
            open(path());
            QFAIL("opened");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number() & 0xFF, number & 0xFF);
            QVERIFY2(e.description().contains(told), qPrintable(e.description()));
        }
        QVERIFY(!m_cn.isOpen());
        QCOMPARE(snapshot(m_dir.path()), before);
    }

    // Damage found at the open (the first page of Files); damage further in is found by the
    // list's first refill (tst_cataloguefile).
    void damagedCatalogueIsReadButNeverWritten()
    {
        const QString file = TestCatalogue::create(m_dir.path());
        TestCatalogue::fill(file, 3000);
        TestCatalogue::damagePageOf(file, "MARK1;");
        const QByteArray damaged = TestCatalogue::content(file);

        open(file);
        QVERIFY(m_cn.isDamaged());
        QCOMPARE(m_cn.damage().number() & 0xFF, SQLITE_CORRUPT);
        QVERIFY(m_cn.damage().description().contains(QLatin1String("malformed")));
        QVERIFY(m_cn.damage().description().endsWith(Connection::damageSentence()));
        // Writes give the same answer and never reach the file; nor does the end.
        Recordset rs;
        rs.Open(QStringLiteral("Files"), &m_cn);
        QVERIFY_THROWS_EXCEPTION(PlatformError, rs.DeleteByKey(1));
        QCOMPARE(sqlite3_exec(m_cn.handle(), "DELETE FROM Files", nullptr, nullptr, nullptr),
                 SQLITE_READONLY);
        rs.Close();
        m_cn.Close();
        QVERIFY(TestCatalogue::content(file) == damaged);
    }

    // What a transaction wrote stays only once committed: here it fails on the way, at a
    // transaction begun inside it.
    void transactionNotCommittedLeavesNothing()
    {
        const QString file = TestCatalogue::create(m_dir.path());
        open(file);
        try {
            Transaction outer(m_cn);
            Statement::exec(m_cn, "INSERT INTO Files (File) VALUES ('a')");
            Transaction inner(m_cn);
            QFAIL("begun inside another");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number(), 3246);
        }
        QCOMPARE(TestCatalogue::rows(file), QStringList());
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
