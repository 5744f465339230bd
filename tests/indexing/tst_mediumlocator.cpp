#include "indexing/mediumlocator.h"
#include "indexing/volumeid.h"
#include "platform/mountedmedia.h"
#include "platform/systemmountedmedia.h"
#include "platform/systemvolumequery.h"

#include <QtTest>

#include <set>

using Media = std::vector<MountedMedium>;
Q_DECLARE_METATYPE(Media)

// Finding a catalogued folder on whichever mounted medium carries its row's label and serial.
class TestMediumLocator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        row("recorded root is the folder", "/mnt/cdrom", {"/mnt/cdrom"}, {disc}, {"/media/u/DISC1"},
            "/media/u/DISC1");
        row("longest tail", docs + "/Sub", {"/mnt/cd"}, {disc},
            {"/media/u/DISC1", "/media/u/DISC1/Sub", "/media/u/DISC1/Docs/Sub"},
            "/media/u/DISC1/Docs/Sub");
        row("no tail but the root", docs, {}, {disc}, {"/media/u/DISC1"}, "/media/u/DISC1");
        row("first in mount order", docs, {"/mnt/cdrom"}, {copy, disc},
            {"/mnt/copy/Docs", "/media/u/DISC1/Docs"}, "/mnt/copy/Docs");
        row("folder only on the second", docs, {"/mnt/cdrom"}, {copy, disc},
            {"/media/u/DISC1/Docs"}, "/media/u/DISC1/Docs");
        row("folder on none", docs, {"/mnt/cdrom"}, {copy, disc}, {}, "/mnt/copy/Docs");
        row("no medium", docs, {"/mnt/cdrom"}, {other}, {"/media/u/DISC/Docs"}, QString());
        // Texts formatted as the indexer formats them: no label, a negative half, a long label.
        QTest::newRow("formatted as indexed")
            << docs << "(no label)"
            << "FFFFA4B2-0012" << QStringList() << Media{{"/media/u/x", "", 0xA4B20012}}
            << QStringList({"/media/u/x/Docs"}) << "/media/u/x/Docs";
        QTest::newRow("label cut")
            << docs << "THIRTEENCHARS"
            << "0000-0001" << QStringList() << Media{{"/media/u/y", "THIRTEENCHARSLONGER", 1}}
            << QStringList({"/media/u/y/Docs"}) << "/media/u/y/Docs";
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

    // A disc indexed at one mount point is found at another; a disc with the same label and
    // another serial is not.
    void realRemount()
    {
        QTemporaryDir dir;
        const auto run = [&](const QString &commands) {
            const QString cd = "PATH=/usr/sbin:/sbin:$PATH; cd '" + dir.path() + "'; ";
            return QProcess::execute("sh", {"-ec", cd + commands}) == 0;
        };
        QVERIFY(run("mkfs.ext4 -q -F -U 12345678-0000-4000-8000-000000000001 -L DISC disc.img 4M;"
                    "mkfs.ext4 -q -F -U 87654321-0000-4000-8000-000000000002 -L DISC other.img "
                    "4M; mkdir cdrom 'DISC 1'"));
        if (!run("mount -o loop disc.img cdrom"))
            QSKIP("loop mounting is refused here");
        const auto unmount = qScopeGuard([&] { run("umount cdrom 'DISC 1' 2>/dev/null || true"); });
        const QString indexed = dir.filePath("cdrom/Docs/Sub");
        QVERIFY(QDir().mkpath(indexed));
        QString archive, serial;
        GetVolumeId(indexed, archive, serial);
        QCOMPARE(serial, QStringLiteral("1234-5678"));
        QString root;
        QVERIFY(SystemVolumeQuery::shared().GetVolumePathName(indexed, root));
        QCOMPARE(root, dir.filePath("cdrom"));

        SystemMountedMedia media(SystemVolumeQuery::shared());
        const auto locate = [&](const QStringList &roots) {
            return LocateFolder(indexed, archive, serial, roots, media.list());
        };
        QVERIFY(run("umount cdrom; mount -o loop disc.img 'DISC 1'"));
        QCOMPARE(locate({dir.filePath("cdrom")}), dir.filePath("DISC 1/Docs/Sub"));
        QCOMPARE(locate({}), dir.filePath("DISC 1/Docs/Sub"));
        QVERIFY(run("umount 'DISC 1'; mount -o loop other.img 'DISC 1'"));
        QVERIFY(locate({}).isNull());
    }
};

QTEST_GUILESS_MAIN(TestMediumLocator)
#include "tst_mediumlocator.moc"
