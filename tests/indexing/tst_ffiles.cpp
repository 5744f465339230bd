#include "indexing/colffiles.h"
#include "platform/platformerror.h"

#include <QtTest>

class TestFFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Keys are the same whatever their case, non-ASCII letters included.
    void secondAddOfAKey_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("sameKey");
        QTest::newRow("case") << QStringLiteral("/Music/A.mp3") << "/music/a.MP3" << true;
        QTest::newRow("full folding") << QStringLiteral("Straße") << "STRASSE" << true;
        QTest::newRow("greek sigma") << QStringLiteral("ΟΔΟΣ") << "οδος" << true;
        QTest::newRow("empty and blank") << QString("") << " " << false;
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

    // Deleting by position or by key of any case keeps the order and frees the key; an index that
    // is not there raises error 5 and changes nothing.
    void deleteAndUnknownIndexes()
    {
        colFFiles files;
        for (const char *key : {"a", "b", "c", "d"})
            files.Add(QString::fromLatin1(key));
        files.Delete(2);                   // b
        files.Delete(QStringLiteral("C")); // c
        const auto raises = [](const std::function<void()> &call) {
            try {
                call();
            } catch (const PlatformError &e) {
                return e.number() == 5 &&
                       e.description() == QLatin1String("Invalid procedure call or argument");
            }
            return false;
        };
        for (const QVariant &index :
             {QVariant(0), QVariant(3), QVariant(QStringLiteral("c")), QVariant()})
            QVERIFY2(raises([&] { files.Item(index); }), qPrintable(index.toString()));
        QVERIFY(raises([&] { files.Delete(qint64(3)); }));
        QVERIFY(raises([&] { files.Delete(QStringLiteral("b")); }));
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
