#include "indexing/colffiles.h"
#include "platform/platformerror.h"

#include <QtTest>

class TestFFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondAddOfAKey_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("sameKey");
        QTest::newRow("equal") << "DATA1;1234-5678;/a/b.txt"
                               << "DATA1;1234-5678;/a/b.txt" << true;
        QTest::newRow("case") << "/Music/A.mp3"
                              << "/music/a.MP3" << true;
        QTest::newRow("full folding") << "Straße"
                                      << "STRASSE" << true;
        QTest::newRow("greek sigma") << "ΟΔΟΣ"
                                     << "οδος" << true;
        QTest::newRow("different") << "/a/b.txt"
                                   << "/a/c.txt" << false;
        QTest::newRow("empty and blank") << ""
                                         << " " << false;
    }
    void secondAddOfAKey()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, sameKey);
        colFFiles files;
        const auto a = files.Add(first);
        const auto b = files.Add(second);
        QCOMPARE(b->Key().toString(), second); // the caller always gets a record with its key
        QCOMPARE(files.Count(), sameKey ? 1 : 2);
        QCOMPARE(files.Item(first), a);
        QCOMPARE(files.Item(second), sameKey ? a : b);
    }

    void unknownIndexRaises_data()
    {
        QTest::addColumn<QVariant>("index");
        QTest::addColumn<bool>("deleting");
        QTest::newRow("item 1 of none") << QVariant(1) << false;
        QTest::newRow("item 0") << QVariant(0) << false;
        QTest::newRow("item past end") << QVariant(3) << false;
        QTest::newRow("item missing key") << QVariant(QStringLiteral("zz")) << false;
        QTest::newRow("item null") << QVariant() << false;
        QTest::newRow("delete past end") << QVariant(qint64(3)) << true;
        QTest::newRow("delete missing key") << QVariant(QStringLiteral("zz")) << true;
    }
    void unknownIndexRaises()
    {
        QFETCH(QVariant, index);
        QFETCH(bool, deleting);
        colFFiles files;
        if (index != QVariant(1)) {
            files.Add(QStringLiteral("a"));
            files.Add(QStringLiteral("b"));
        }
        const int count = files.Count();
        try {
            if (deleting)
                files.Delete(index);
            else
                files.Item(index);
            QFAIL("no error raised");
        } catch (const PlatformError &e) {
            QCOMPARE(e.number(), 5);
            QCOMPARE(e.description(), QStringLiteral("Invalid procedure call or argument"));
        }
        QCOMPARE(files.Count(), count);
    }

    void deleteByPositionAndByKeyKeepsOrderAndFreesTheKey()
    {
        colFFiles files;
        for (const char *key : {"a", "b", "c", "d"})
            files.Add(QString::fromLatin1(key));
        files.Delete(2);                   // b
        files.Delete(QStringLiteral("C")); // c, by key of another case
        QStringList keys;
        for (const auto &record : files)
            keys << record->Key().toString();
        QCOMPARE(keys, QStringList({"a", "d"}));
        QCOMPARE(files.Item(2.0)->Key().toString(), QStringLiteral("d"));
        const auto again = files.Add(QStringLiteral("B"));
        QCOMPARE(files.Item(QStringLiteral("b")), again);
        QCOMPARE(files.Count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestFFiles)
#include "tst_ffiles.moc"
