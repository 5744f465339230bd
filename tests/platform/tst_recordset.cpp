#include "platform/connection.h"
#include "platform/platformerror.h"
#include "platform/recordset.h"
#include "support/testcatalogue.h"

#include <QDate>
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

    void addRow(const QString &file, const QVariant &modified = QVariant())
    {
        m_rs->AddNew();
        m_rs->Fields(QStringLiteral("Path")).setValue(QStringLiteral("/disc"));
        m_rs->Fields(QStringLiteral("File")).setValue(file);
        if (modified.isValid())
            m_rs->Fields(QStringLiteral("Modified")).setValue(modified);
        m_rs->Update();
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("data.mdb")));
        m_file = TestCatalogue::create(m_dir.path());
        m_rs.reset();
        m_cn = std::make_unique<Connection>();
        m_cn->setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
        m_cn->Open(m_file);
        m_rs = std::make_unique<Recordset>();
        m_rs->Open(QStringLiteral("Files"), m_cn.get(), adOpenKeyset, adLockOptimistic);
    }

    void addedRowsAreCommittedAtOnceWithEngineKeys()
    {
        Recordset &rs = *m_rs;
        // A row begun and never finished is dropped by the next AddNew, never written later.
        rs.AddNew();
        rs.Fields(QStringLiteral("File")).setValue(QStringLiteral("half.txt"));
        addRow(QStringLiteral("a.txt"), QDate(2002, 3, 5));
        addRow(QStringLiteral("b.txt"), QDateTime(QDate(2002, 3, 5), QTime(10, 20, 30)));
        rs.Update(); // nothing pending any more
        QCOMPARE(rs.RecordCount(), 2);
        // Another connection sees them: each Update is its own commit.
        QCOMPARE(TestCatalogue::rows(m_file, QStringLiteral("ID, File, Modified, Type")),
                 QStringList({"1|a.txt|2002-03-05|<null>", "2|b.txt|2002-03-05 10:20:30|<null>"}));

        rs.MoveFirst();
        QCOMPARE(rs.Fields(QStringLiteral("ID")).Value().toLongLong(), 1);
        QCOMPARE(rs.Fields(QStringLiteral("modified")).Value(), QVariant(QDate(2002, 3, 5)));
        QVERIFY(rs.Fields(QStringLiteral("Type")).Value().isNull());
        rs.MoveNext();
        QCOMPARE(rs.Fields(QStringLiteral("Modified")).Value().toDateTime().time(),
                 QTime(10, 20, 30));
        rs.MoveNext();
        QVERIFY(rs.Eof());
        QVERIFY_THROWS_EXCEPTION(PlatformError, rs.MoveNext());

        // Keys are never reused, even after the newest row is deleted.
        rs.MoveFirst();
        rs.MoveNext();
        rs.Delete(adAffectCurrent);
        rs.Update();
        addRow(QStringLiteral("c.txt"));
        QCOMPARE(TestCatalogue::rows(m_file, QStringLiteral("ID")), QStringList({"1", "3"}));
    }

    void requerySeesRowsAddedAndDeletedElsewhere()
    {
        Recordset &rs = *m_rs;
        addRow(QStringLiteral("a"));
        addRow(QStringLiteral("b"));
        TestCatalogue::exec(m_file, QStringLiteral("INSERT INTO Files (File) VALUES ('c');"
                                                   "DELETE FROM Files WHERE File = 'a'"));
        QCOMPARE(rs.RecordCount(), 2);
        rs.Requery();
        QCOMPARE(rs.RecordCount(), 2);
        QStringList seen;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            seen.append(rs.Fields(QStringLiteral("File")).Value().toString());
        QCOMPARE(seen, QStringList({"b", "c"}));
    }

    void statementSourceWithParameters()
    {
        Recordset &rs = *m_rs;
        for (const char *name : {"Zeta.mp3", "it's.txt", "alpha.MP3", "readme"})
            addRow(QString::fromUtf8(name));
        rs.Close();
        rs.Open(QStringLiteral("SELECT * FROM Files WHERE File LIKE ? ORDER BY File ASC"),
                m_cn.get(), adOpenKeyset, adLockPessimistic, -1, {QStringLiteral("%mp3%")});
        QCOMPARE(rs.lockType(), int(adLockPessimistic));
        QCOMPARE(rs.RecordCount(), 2);
        rs.MoveFirst();
        QCOMPARE(rs.Fields(QStringLiteral("File")).Value().toString(), QStringLiteral("Zeta.mp3"));
        // Keyed deletion reaches only rows of the open set.
        QVERIFY(!rs.DeleteByKey(2));
        QVERIFY(rs.DeleteByKey(3));
        QVERIFY(!rs.DeleteByKey(3));
        QCOMPARE(rs.RecordCount(), 1);
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
        for (const char *file : {"a", "b", "c", "d"})
            addRow(QString::fromLatin1(file));
        Recordset &rs = *m_rs;
        rs.Close();
        rs.Open(source, m_cn.get(), adOpenKeyset, adLockOptimistic, -1, params);
        FileSink first;
        rs.Requery(&first);
        rs.MoveFirst();
        rs.MoveNext();
        rs.Delete();

        FileSink refusing(2);
        QVERIFY_THROWS_EXCEPTION(PlatformError, rs.Requery(&refusing));
        QCOMPARE(rs.RecordCount(), 3);
        // Still standing on the row it deleted.
        QVERIFY_THROWS_EXCEPTION(PlatformError, rs.Fields(QStringLiteral("File")).Value());

        FileSink full;
        rs.Requery(&full);
        QCOMPARE(full.files, QStringList({"a", "c", "d"}));
        QCOMPARE(rs.RecordCount(), 3);
        QVERIFY(rs.Eof());
    }

    void misuseRaisesTheRecordsetErrors_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<int>("number");
        using Op = Operation;
        QTest::newRow("unknown field")
            << Op([](Recordset &rs, Connection &) { rs.Fields(QStringLiteral("Colour")).Value(); })
            << int(adErrItemNotFound);
        QTest::newRow("field at end")
            << Op([](Recordset &rs, Connection &) { rs.Fields(QStringLiteral("File")).Value(); })
            << int(adErrNoCurrentRecord);
        QTest::newRow("delete at end")
            << Op([](Recordset &rs, Connection &) { rs.Delete(); }) << int(adErrNoCurrentRecord);
        QTest::newRow("open twice") << Op([](Recordset &rs, Connection &cn) {
            rs.Open(QStringLiteral("Files"), &cn, adOpenKeyset, adLockOptimistic);
        }) << int(adErrObjectOpen);
        QTest::newRow("first of no rows") << Op([](Recordset &rs, Connection &) {
            rs.MoveFirst();
            rs.Delete();
            rs.Requery();
            QCOMPARE(rs.RecordCount(), 0);
            QVERIFY(rs.Eof());
            rs.MoveFirst();
        }) << int(adErrNoCurrentRecord);
        QTest::newRow("closed") << Op([](Recordset &rs, Connection &) {
            rs.Close();
            rs.Requery();
        }) << int(adErrObjectClosed);
        QTest::newRow("invalid statement") << Op([](Recordset &rs, Connection &cn) {
            rs.Close();
            rs.Open(QStringLiteral("SELECT * FROM Files WHERE File LIKE '%it's%'"), &cn,
                    adOpenKeyset, adLockPessimistic);
        }) << 1;
    }
    void misuseRaisesTheRecordsetErrors()
    {
        QFETCH(Operation, operation);
        QFETCH(int, number);
        addRow(QStringLiteral("a"));
        m_rs->MoveNext();
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
