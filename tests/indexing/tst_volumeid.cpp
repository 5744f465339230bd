#include "indexing/volumeid.h"
#include "platform/volumequery.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// A query that answers with the label and serial it is given.
struct FakeVolumeQuery : VolumeQuery
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

    // Runs a tool (mkfs.ext4, mkntfs, mount, ...); true when it succeeds.
    static bool run(const QString &name, const QStringList &args)
    {
        const QStringList folders{"/usr/sbin", "/sbin", "/usr/bin", "/bin"};
        return QProcess::execute(QStandardPaths::findExecutable(name, folders), args) == 0;
    }

    // Label and serial text for a folder, as the system gives them, joined by a blank.
    static QString volumeId(const QString &folder)
    {
        QString label, serial;
        GetVolumeId(folder, label, serial);
        return label + ' ' + serial;
    }

private Q_SLOTS:
    // The label is cut to 13 characters and at a NUL; the serial's halves are written in
    // hexadecimal, sign-extended, then formatted with "0000" (which reads 1E5 as 100000). Rows
    // with a folder ask this system: folders on no block device fail like a drive without a disc.
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
        row("exponent D", "DATA1", 0x01D20000, "DATA1", "0100-0000");
        row("letter first", "DATA1", 0x00E10001, "DATA1", "E1-0001");
        // A failed query: 14 blanks, and the serial as the caller had it.
        const QString blanks(14, ' ');
        row("proc", QString(), 0, blanks, "before", "/proc/self");
        row("tmpfs", QString(), 0, blanks, "before", "/dev/shm");
        row("missing", QString(), 0, blanks, "before", "/no/such/folder");
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

    void joinPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        const auto row = [](const char *name, const char *folder, const char *file,
                            const char *path) {
            QTest::newRow(name) << QString(folder) << QString(file) << QString(path);
        };
        row("folder", "/x", "a.txt", "/x/a.txt");
        row("root", "/", "a.txt", "/a.txt");
        row("name with separator", "/x", "/a.txt", "/x/a.txt");
        row("both", "/", "/a.txt", "//a.txt");
        row("empty folder", "", "a.txt", "/a.txt");
        row("empty name", "/x", "", "/x/");
    }

    void joinPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QTEST(JoinPath(folder, name), "path");
    }

    // Through real mounts on one folder: the UUID gives the serial, the label is cut to 13
    // characters, another medium mounted there (on the same loop device) is seen at once, and a
    // FUSE filesystem (as NTFS media are mounted) counts when it sits on a block device.
    void realMounts()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("first.img"), second = dir.filePath("second.img");
        const QString ntfs = dir.filePath("ntfs.img"), point = dir.filePath("mnt point");
        QVERIFY(run("mkfs.ext4", {"-q", "-F", "-U", "12345678-9abc-def0-1234-56789abcdef0", "-L",
                                  "LongExtLabel1234", first, "4M"}));
        QVERIFY(run("mkfs.ext4", {"-q", "-F", "-U", "a4b2c3d4-0000-4000-8000-000000000000", "-L",
                                  "SECOND", second, "4M"}));
        QVERIFY(run("truncate", {"-s", "4M", ntfs}) &&
                run("mkntfs", {"-q", "-F", "-f", "-L", "NTFS DISC", ntfs}) &&
                run("ntfslabel", {"--new-serial=0123456789ABCDEF", ntfs}));
        if (!QDir().mkpath(point) || !run("mount", {"-o", "loop", first, point}))
            QSKIP("loop mounting is refused here");
        const auto unmount = qScopeGuard([&] { run("umount", {point}); });
        QVERIFY(QDir(point).mkpath("sub/folder"));
        QCOMPARE(volumeId(point + "/sub/folder"), QStringLiteral("LongExtLabel1 1234-5678"));
        QVERIFY(run("umount", {point}) && run("mount", {"-o", "loop", second, point}));
        QCOMPARE(volumeId(point), QStringLiteral("SECOND FFFFA4B2-FFFFC3D4"));
        QVERIFY(run("umount", {point}));
        if (!run("mount", {"-t", "ntfs-3g", "-o", "loop", ntfs, point}))
            QSKIP("FUSE mounting is refused here");
        QCOMPARE(volumeId(point), QStringLiteral("NTFS DISC FFFF89AB-FFFFCDEF"));
    }
};

QTEST_GUILESS_MAIN(TestVolumeId)
#include "tst_volumeid.moc"
