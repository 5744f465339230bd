#include "platform/connection.h"
#include "platform/platformerror.h"
#include "platform/recordset.h"
#include "support/testcatalogue.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using Operation = std::function<void(Recordset &, Connection &)>;
Q_DECLARE_METATYPE(Operation)

namespace {
// Collects the File cells of a refill; refuses the row after `accepted` of them, as a list that
// runs out of room does.
class FileSink : public RowSink
{
public:
    explicit FileSink(int accepted = -1) : m_accepted(accepted) {}
    QStringList files;
    void begin(const std::vector<QString> &columns) override
    {
        m_column = int(std::find(columns.begin(), columns.end(), QStringLiteral("File")) -
                       columns.begin());
    }
    void row(qint64, const RowCell *cells) override
    {
        if (files.size() == m_accepted)
            throw PlatformError(7, QStringLiteral("Out of memory"));
        files.append(QString::fromUtf8(cells[m_column].data, cells[m_column].length));
    }

private:
    int m_accepted;
    int m_column = 0;
};
} // namespace

// The catalogue connection and keyset recordset on a real SQLite file.
class TestRecordset : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<Connection> m_cn;
    std::unique_ptr<Recordset> m_rs;

    void addRows(const QStringList &files)
    {
        for (const QString &file : files)
            TestCatalogue::exec(m_file, "INSERT INTO Files (Path, File) VALUES ('/disc', '" +
                                            QString(file).replace("'", "''") + "')");
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("data.mdb")));
        m_file = TestCatalogue::create(m_dir.path());
        m_rs.reset();
        m_cn = std::make_unique<Connection>();
        m_cn->setProvider(QLatin1String(Connection::JetProvider));
        m_cn->Open(m_file);
        m_rs = std::make_unique<Recordset>();
        m_rs->Open(QStringLiteral("Files"), m_cn.get());
    }

    // A refill sees rows added and deleted by another program since.
    void requerySeesRowsAddedAndDeletedElsewhere()
    {
        Recordset &rs = *m_rs;
        addRows({"a", "b"});
        TestCatalogue::exec(m_file, QStringLiteral("INSERT INTO Files (File) VALUES ('c');"
                                                   "DELETE FROM Files WHERE File = 'a'"));
        FileSink seen;
        rs.Requery(&seen);
        QCOMPARE(seen.files, QStringList({"b", "c"}));
    }

    void statementSourceWithParameters()
    {
        Recordset &rs = *m_rs;
        addRows({"Zeta.mp3", "it's.txt", "alpha.MP3", "readme"});
        rs.Close();
        rs.Open(QStringLiteral("SELECT * FROM Files WHERE File LIKE ? ORDER BY File ASC"),
                m_cn.get(), {QStringLiteral("%mp3%")});
        FileSink seen;
        rs.Requery(&seen);
        QCOMPARE(seen.files, QStringList({"Zeta.mp3", "alpha.MP3"}));
        // Keyed deletion reaches only rows of the open set.
        QVERIFY(!rs.DeleteByKey(2));
        QVERIFY(rs.DeleteByKey(3));
        QVERIFY(!rs.DeleteByKey(3));
        QCOMPARE(TestCatalogue::rows(m_file), QStringList({"Zeta.mp3", "it's.txt", "readme"}));
    }

    // A row refused part-way through a refill leaves the set as it was before that refill.
    void refusedRefillLeavesTheSetAsItWas_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QVariantList>("params");
        QTest::newRow("table") << "Files" << QVariantList();
        QTest::newRow("statement with a parameter")
            << "SELECT * FROM Files WHERE File LIKE ?" << QVariantList({QStringLiteral("%")});
    }
    void refusedRefillLeavesTheSetAsItWas()
    {
        QFETCH(QString, source);
        QFETCH(QVariantList, params);
        addRows({"a", "b", "c", "d"});
        Recordset &rs = *m_rs;
        rs.Close();
        rs.Open(source, m_cn.get(), params);
        FileSink first;
        rs.Requery(&first);
        QVERIFY(rs.DeleteByKey(2));

        FileSink refusing(2);
        QVERIFY_THROWS_EXCEPTION(PlatformError, rs.Requery(&refusing));
        QVERIFY(!rs.DeleteByKey(2)); // still known as deleted

        FileSink full;
        rs.Requery(&full);
        QCOMPARE(full.files, QStringList({"a", "c", "d"}));
    }

    void misuseRaisesTheRecordsetErrors_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<int>("number");
        using Op = Operation;
        QTest::newRow("open twice")
            << Op([](Recordset &rs, Connection &cn) { rs.Open(QStringLiteral("Files"), &cn); })
            << int(adErrObjectOpen);
        QTest::newRow("closed") << Op([](Recordset &rs, Connection &) {
            rs.Close();
            rs.isEmpty();
        }) << int(adErrObjectClosed);
        QTest::newRow("invalid statement") << Op([](Recordset &rs, Connection &cn) {
            rs.Close();
            rs.Open(QStringLiteral("SELECT * FROM Files WHERE File LIKE '%it's%'"), &cn);
        }) << 1;
    }
    void misuseRaisesTheRecordsetErrors()
    {
        QFETCH(Operation, operation);
        QFETCH(int, number);
        addRows({"a"});
        try {
            operation(*m_rs, *m_cn);
            QFAIL("no error");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number(), number);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
