#include "indexing/colffiles.h"

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
        // The first record of a key is the one held, in the order of adding.
        QCOMPARE(std::vector<colFFiles::Record>(files.begin(), files.begin() + 2),
                 std::vector<colFFiles::Record>({music, street}));
    }
};

QTEST_GUILESS_MAIN(TestFFiles)
#include "tst_ffiles.moc"
