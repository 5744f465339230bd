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

// The catalogue connection and keyset recordset on a real SQLite file.
class TestRecordset : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

    void openTable(Connection &cn, Recordset &rs)
    {
        cn.setProvider(QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
        cn.Open(m_file);
        rs.Open(QStringLiteral("Files"), &cn, adOpenKeyset, adLockOptimistic);
    }

    void addRow(Recordset &rs, const QString &file, const QVariant &modified = QVariant())
    {
        rs.AddNew();
        rs.Fields(QStringLiteral("Path")).setValue(QStringLiteral("/disc"));
        rs.Fields(QStringLiteral("File")).setValue(file);
        if (modified.isValid())
            rs.Fields(QStringLiteral("Modified")).setValue(modified);
        rs.Update();
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath(QStringLiteral("data.mdb")));
        m_file = TestCatalogue::create(m_dir.path());
    }

    void openRefusesWhatIsNoCatalogue_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<int>("number");
        QTest::newRow("missing file") << "Microsoft.Jet.OLEDB.4.0" << QByteArray() << 3024;
        QTest::newRow("not a database") << "Microsoft.Jet.OLEDB.4.0" << QByteArray(4096, 'x') << 26;
        QTest::newRow("unknown provider") << "SQLOLEDB" << QByteArray("x") << 3706;
    }
    void openRefusesWhatIsNoCatalogue()
    {
        QFETCH(QString, provider);
        QFETCH(QByteArray, content);
        QFETCH(int, number);
        const QString path = m_dir.filePath(QStringLiteral("other.mdb"));
        QFile::remove(path);
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        Connection cn;
        cn.setProvider(provider);
        try {
            cn.Open(path);
            QFAIL("opened");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number(), number);
            QVERIFY(!e.description().isEmpty());
        }
        QVERIFY(!cn.isOpen());
        // Nothing is created, and a damaged file is left as it was.
        QCOMPARE(QFileInfo::exists(path), !content.isEmpty());
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), content);
        }
    }

    void emptySet()
    {
        Connection cn;
        Recordset rs;
        openTable(cn, rs);
        QCOMPARE(rs.RecordCount(), 0);
        QVERIFY(rs.Eof());
        QVERIFY_THROWS_EXCEPTION(PlatformError, rs.MoveFirst());
    }

    void addedRowsAreCommittedAtOnceWithEngineKeys()
    {
        Connection cn;
        Recordset rs;
        openTable(cn, rs);
        addRow(rs, QStringLiteral("a.txt"), QDate(2002, 3, 5));
        addRow(rs, QStringLiteral("b.txt"), QDateTime(QDate(2002, 3, 5), QTime(10, 20, 30)));
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
        addRow(rs, QStringLiteral("c.txt"));
        QCOMPARE(TestCatalogue::rows(m_file, QStringLiteral("ID")), QStringList({"1", "3"}));
    }

    void rowBegunAndNotFinishedIsDropped()
    {
        Connection cn;
        Recordset rs;
        openTable(cn, rs);
        rs.AddNew();
        rs.Fields(QStringLiteral("File")).setValue(QStringLiteral("half.txt"));
        addRow(rs, QStringLiteral("whole.txt"));
        rs.Update(); // nothing pending any more
        QCOMPARE(TestCatalogue::rows(m_file), QStringList({"whole.txt"}));
    }

    void requerySeesRowsAddedAndDeletedElsewhere()
    {
        Connection cn;
        Recordset rs;
        openTable(cn, rs);
        addRow(rs, QStringLiteral("a"));
        addRow(rs, QStringLiteral("b"));
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
        Connection cn;
        Recordset rs;
        openTable(cn, rs);
        for (const char *name : {"Zeta.mp3", "it's.txt", "alpha.MP3", "readme"})
            addRow(rs, QString::fromUtf8(name));
        rs.Close();
        rs.Open(QStringLiteral("SELECT * FROM Files WHERE File LIKE ? ORDER BY File ASC"), &cn,
                adOpenKeyset, adLockPessimistic, -1, {QStringLiteral("%mp3%")});
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
        Connection cn;
        Recordset rs;
        openTable(cn, rs);
        addRow(rs, QStringLiteral("a"));
        rs.MoveNext();
        try {
            operation(rs, cn);
            QFAIL("no error");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number(), number);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
