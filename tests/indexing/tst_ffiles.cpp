#include "indexing/colffiles.h"
#include "platform/platformerror.h"

#include <QtTest>

class TestFFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Keys are the same whatever their case, non-ASCII letters included; a blank is no empty key.
    void secondAddOfAKey()
    {
        colFFiles files;
        const auto music = files.Add(QStringLiteral("/Music/A.mp3"));
        const auto street = files.Add(QStringLiteral("Straße"));
        files.Add(QString(""));
        files.Add(QStringLiteral(" "));
        for (const QString key : {"/music/a.MP3", "STRASSE"}) // the caller gets its own key
            QCOMPARE(files.Add(key)->Key().toString(), key);
        QCOMPARE(files.Count(), 4);
        QCOMPARE(files.Item(QStringLiteral("/music/a.MP3")), music);
        QCOMPARE(files.Item(QStringLiteral("STRASSE")), street);
        QCOMPARE(files.Item(QString(""))->Key().toString(), QString(""));
        QCOMPARE(files.Item(QStringLiteral(" "))->Key().toString(), QStringLiteral(" "));
    }

    // Deleting by position or key keeps the order and frees the key; a missing index is error 5.
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
                return e.number() == 5 && e.description() == "Invalid procedure call or argument";
            }
            return false;
        };
        for (const QVariant &index : {QVariant(0), QVariant(3), QVariant("c"), QVariant()})
            QVERIFY2(raises([&] { files.Item(index); }), qPrintable(index.toString()));
        QVERIFY(raises([&] { files.Delete(qint64(3)); }));
        QCOMPARE(files.Item(1)->Key().toString(), QStringLiteral("a"));
        QCOMPARE(files.Item(2.0)->Key().toString(), QStringLiteral("d"));
        const auto again = files.Add(QStringLiteral("B"));
        QCOMPARE(files.Item(QStringLiteral("b")), again);
    }
};

QTEST_GUILESS_MAIN(TestFFiles)
#include "tst_ffiles.moc"
