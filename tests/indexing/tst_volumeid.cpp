#include "indexing/volumeid.h"
#include "platform/volumequery.h"

#include <QtTest>

struct FakeVolumeQuery : VolumeQuery // answers with the label and serial it is given
{
    FakeVolumeQuery(const QString &l, quint32 s) : label(l), serial(s) {}
    QString label;
    quint32 serial;
    bool GetVolumeInformation(const QString &, QString &l, quint32 &s) override
    {
        l = label;
        s = serial;
        return true;
    }
};

class TestVolumeId : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The label is cut to 13 characters and at a NUL; the serial's halves are sign-extended hex
    // formatted with "0000" (1E5 reads as 100000). Folders on no block device fail.
    void volumeId_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("folder");
        const auto row = [](const char *name, const QString &answer, quint32 number,
                            const QString &label, const char *serial, const char *folder = "") {
            QTest::newRow(name) << answer << number << label << QString(serial) << QString(folder);
        };
        row("12345678 thirteen", "THIRTEENCHARS", 0x12345678, "THIRTEENCHARS", "1234-5678");
        row("00120034 fourteen", "FOURTEENCHARSX", 0x00120034, "FOURTEENCHARS", "0012-0034");
        row("00000000 empty", "", 0x00000000, "(no label)", "0000-0000");
        row("001A0B2C blanks", "   ", 0x001A0B2C, "(no label)", "1A-B2C");
        row("7FFF0C00 blanks kept", " CD 1 ", 0x7FFF0C00, " CD 1 ", "7FFF-C00");
        row("A4B2C3D4 NUL inside", QStringLiteral("AB\0CD"), 0xA4B2C3D4, "AB", "FFFFA4B2-FFFFC3D4");
        row("0C0D8001 NUL first", QStringLiteral("\0CD"), 0x0C0D8001, "(no label)", "C0D-FFFF8001");
        row("01E50010", "DATA1", 0x01E50010, "DATA1", "100000-0010");
        // A failed query: 14 blanks, and the serial as the caller had it.
        row("proc", QString(), 0, QString(14, ' '), "before", "/proc/self");
        row("tmpfs", QString(), 0, QString(14, ' '), "before", "/dev/shm");
    }

    void volumeId()
    {
        QFETCH(QString, answer);
        QFETCH(quint32, number);
        QFETCH(QString, folder);
        FakeVolumeQuery fake(answer, number);
        VolumeQuery &query = folder.isEmpty() ? fake : systemVolumeQuery();
        QString label = "before", serial = "before";
        GetVolumeId(folder, label, serial, query);
        QTEST(label, "label");
        QTEST(serial, "serial");
    }

    // Real mounts on one folder: UUID serial, label cut, a new medium seen at once, FUSE (NTFS).
    void realMounts()
    {
        QTemporaryDir dir;
        const QString point = dir.filePath("mnt point");
        const auto run = [&](const QString &commands) {
            const QString cd = "PATH=/usr/sbin:/sbin:$PATH; cd '" + dir.path() + "'; ";
            return QProcess::execute("sh", {"-ec", cd + commands}) == 0;
        };
        const auto volumeId = [](const QString &folder) { // label and serial joined by a blank
            QString label, serial;
            GetVolumeId(folder, label, serial, systemVolumeQuery());
            return label + ' ' + serial;
        };
        QVERIFY(
            run("mkfs.ext4 -q -F -U 12345678-9abc-def0-1234-56789abcdef0 -L LongExtLabel1234 "
                "first.img 4M; mkfs.ext4 -q -F -U a4b2c3d4-0000-4000-8000-000000000000 -L "
                "SECOND second.img 4M; truncate -s 4M ntfs.img; mkntfs -q -F -f -L 'NTFS DISC' "
                "ntfs.img; ntfslabel --new-serial=0123456789ABCDEF ntfs.img; mkdir 'mnt point'"));
        if (!run("mount -o loop first.img 'mnt point'"))
            QSKIP("loop mounting is refused here");
        const auto unmount = qScopeGuard([&] { run("umount 'mnt point'"); });
        QVERIFY(QDir(point).mkpath("sub/folder"));
        QCOMPARE(volumeId(point + "/sub/folder"), QStringLiteral("LongExtLabel1 1234-5678"));
        QVERIFY(run("umount 'mnt point'; mount -o loop second.img 'mnt point'"));
        QCOMPARE(volumeId(point), QStringLiteral("SECOND FFFFA4B2-FFFFC3D4"));
        QVERIFY(run("umount 'mnt point'"));
        if (!run("mount -t ntfs-3g -o loop ntfs.img 'mnt point'"))
            QSKIP("FUSE mounting is refused here");
        QCOMPARE(volumeId(point), QStringLiteral("NTFS DISC FFFF89AB-FFFFCDEF"));
    }
};

QTEST_GUILESS_MAIN(TestVolumeId)
#include "tst_volumeid.moc"
