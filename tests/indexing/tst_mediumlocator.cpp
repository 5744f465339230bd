#include "indexing/mediumlocator.h"
#include "platform/joinpath.h"
#include "platform/mountedmedia.h"

#include <QtTest>

#include <set>

using Media = std::vector<MountedMedium>;
Q_DECLARE_METATYPE(Media)

// Finding a catalogued folder on whichever mounted medium carries its row's label and serial.
class TestMediumLocator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void partOfPathBelowRoot()
    {
        QCOMPARE(PathBelow(QString("/m//a/b/"), QString("/m/")), QString("a/b"));
        QCOMPARE(PathBelow(QByteArray("/a/b"), QByteArray("/")), QByteArray("a/b"));
        QVERIFY(!PathBelow(QString("/m/"), QString("/m")).isNull()); // the root itself: ""
        QVERIFY(PathBelow(QByteArray("/mx/a"), QByteArray("/m")).isNull());
    }

    void locate_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QStringList>("roots");
        QTest::addColumn<Media>("media");
        QTest::addColumn<QStringList>("folders"); // the folders that exist
        QTest::addColumn<QString>("found");
        const MountedMedium other{"/media/u/DISC", "DISC", 0x11112222};
        const MountedMedium disc{"/media/u/DISC1", "DISC", 0x12345678};
        const MountedMedium copy{"/mnt/copy", "DISC", 0x12345678};
        const QString docs = "/mnt/cdrom/Docs";
        const auto row = [&](const char *name, const QString &path, const QStringList &roots,
                             const Media &media, const QStringList &folders, const QString &found) {
            QTest::newRow(name) << path << "DISC"
                                << "1234-5678" << roots << media << folders << found;
        };
        row("recorded root, other serial passed over", docs, {"/mnt/cdrom"}, {other, disc},
            {"/media/u/DISC/Docs", "/media/u/DISC1/Docs"}, "/media/u/DISC1/Docs");
        row("longest recorded root", docs, {"/mnt", "/mnt/cdrom/"}, {disc},
            {"/media/u/DISC1/cdrom/Docs", "/media/u/DISC1/Docs"}, "/media/u/DISC1/Docs");
        row("longest tail", docs + "/Sub", {"/mnt/cd"}, {disc},
            {"/media/u/DISC1", "/media/u/DISC1/Sub", "/media/u/DISC1/Docs/Sub"},
            "/media/u/DISC1/Docs/Sub");
        row("first in mount order", docs, {"/mnt/cdrom"}, {copy, disc},
            {"/mnt/copy/Docs", "/media/u/DISC1/Docs"}, "/mnt/copy/Docs");
        row("folder only on the second", docs, {"/mnt/cdrom"}, {copy, disc},
            {"/media/u/DISC1/Docs"}, "/media/u/DISC1/Docs");
        row("folder on none", docs, {"/mnt/cdrom"}, {copy, disc}, {}, "/mnt/copy/Docs");
        // Texts formatted as the indexer formats them: no label, a negative half.
        QTest::newRow("formatted as indexed")
            << docs << "(no label)"
            << "FFFFA4B2-0012" << QStringList() << Media{{"/media/u/x", "", 0xA4B20012}}
            << QStringList({"/media/u/x/Docs"}) << "/media/u/x/Docs";
        QTest::newRow("catalogued from no medium")
            << docs << QString(14, ' ') << "" << QStringList() << Media{disc} << QStringList()
            << docs;
    }

    void locate()
    {
        QFETCH(QString, path);
        QFETCH(QString, archive);
        QFETCH(QString, serial);
        QFETCH(QStringList, roots);
        QFETCH(Media, media);
        QFETCH(QStringList, folders);
        const std::set<QString> existing(folders.begin(), folders.end());
        const QString found = LocateFolder(path, archive, serial, roots, media,
                                           [&](const QString &f) { return existing.count(f) > 0; });
        QTEST(found, "found");
    }
};

QTEST_GUILESS_MAIN(TestMediumLocator)
#include "tst_mediumlocator.moc"
