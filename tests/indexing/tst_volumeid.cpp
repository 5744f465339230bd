#include "indexing/volumeid.h"
#include "platform/systemvolumequery.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// A query that answers what the test tells it.
class FakeVolumeQuery : public VolumeQuery
{
public:
    bool ok = true;
    QString label;
    quint32 serial = 0x12345678;
    QString askedFor;
    bool GetVolumeInformation(const QString &rootPath, QString &l, quint32 &s) override
    {
        askedFor = rootPath;
        if (ok) {
            l = label;
            s = serial;
        }
        return ok;
    }
};

// A mount made by a command for one test, undone when it goes out of scope.
class Mount
{
public:
    Mount(const QString &program, const QStringList &args, const QString &point) : m_point(point)
    {
        QDir().mkpath(point);
        m_mounted = QProcess::execute(program, QStringList(args) << point) == 0;
    }
    ~Mount()
    {
        if (m_mounted)
            QProcess::execute("umount", {m_point});
    }
    bool mounted() const { return m_mounted; }

private:
    QString m_point;
    bool m_mounted = false;
};

class TestVolumeId : public QObject
{
    Q_OBJECT

    static QString tool(const QString &name)
    {
        const QString path = QStandardPaths::findExecutable(name);
        return path.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"}) : path;
    }

    static bool make(const QString &name, const QStringList &args)
    {
        QProcess process;
        process.start(tool(name), args);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    static void row(const char *name, const QString &a, const QString &b, const QString &c)
    {
        QTest::newRow(name) << a << b << c;
    }

private Q_SLOTS:
    void serialText_data()
    {
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("12345678") << 0x12345678u << "1234-5678";
        QTest::newRow("00120034") << 0x00120034u << "0012-0034";
        QTest::newRow("00000000") << 0x00000000u << "0000-0000";
        QTest::newRow("001A0B2C") << 0x001A0B2Cu << "1A-B2C";
        QTest::newRow("7FFF0C00") << 0x7FFF0C00u << "7FFF-C00";
        QTest::newRow("A4B2C3D4") << 0xA4B2C3D4u << "FFFFA4B2-FFFFC3D4";
        QTest::newRow("0C0D8001") << 0x0C0D8001u << "C0D-FFFF8001";
        QTest::newRow("01E50010") << 0x01E50010u << "100000-0010";
        QTest::newRow("exponent D") << 0x01D20000u << "0100-0000";
        QTest::newRow("letter first") << 0x00E10001u << "E1-0001";
    }

    void serialText()
    {
        FakeVolumeQuery query;
        QFETCH(quint32, number);
        query.serial = number;
        QString label;
        QString serial;
        GetVolumeId("/media/cd", label, serial, query);
        QTEST(serial, "text");
        QCOMPARE(query.askedFor, QStringLiteral("/media/cd"));
    }

    void labelText_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("serial");
        row("label", "DATA1", "DATA1", "1234-5678");
        row("empty", "", "(no label)", "1234-5678");
        row("blanks", "   ", "(no label)", "1234-5678");
        row("blanks kept", " CD 1 ", " CD 1 ", "1234-5678");
        row("NUL inside", QString("AB") + QChar(0) + "CD", "AB", "1234-5678");
        row("NUL first", QString(QChar(0)) + "CD", "(no label)", "1234-5678");
        row("thirteen", "THIRTEENCHARS", "THIRTEENCHARS", "1234-5678");
        row("fourteen", "FOURTEENCHARSX", "FOURTEENCHARS", "1234-5678");
        // A failed query: 14 blanks, and the serial as the caller had it.
        row("failure", QString(), QString(14, ' '), "before");
    }

    void labelText()
    {
        FakeVolumeQuery query;
        QFETCH(QString, answer);
        query.ok = !answer.isNull();
        query.label = answer;
        QString label = "before";
        QString serial = "before";
        GetVolumeId("/media/cd", label, serial, query);
        QTEST(label, "label");
        QTEST(serial, "serial");
    }

    void joinPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
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

    // Folders on no block device fail like a drive without a disc.
    void noDevice_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("proc") << "/proc/self";
        QTest::newRow("sysfs") << "/sys/kernel";
        QTest::newRow("tmpfs") << "/dev/shm";
        QTest::newRow("missing") << "/no/such/folder";
    }

    void noDevice()
    {
        QFETCH(QString, folder);
        QString label;
        QString serial = "kept";
        GetVolumeId(folder, label, serial);
        QCOMPARE(label, QString(14, ' '));
        QCOMPARE(serial, QStringLiteral("kept"));
    }

    // Through a real mount: the UUID gives the serial, the label is cut to 13 characters, and
    // another medium mounted on the same folder (and loop device) is seen at once.
    void realMount()
    {
        if (tool("mkfs.ext4").isEmpty())
            QSKIP("mkfs.ext4 is not installed");
        QTemporaryDir dir;
        const QString first = dir.filePath("first.img");
        const QString second = dir.filePath("second.img");
        QVERIFY(make("mkfs.ext4", {"-q", "-F", "-U", "12345678-9abc-def0-1234-56789abcdef0", "-L",
                                   "LongExtLabel1234", first, "4M"}));
        QVERIFY(make("mkfs.ext4", {"-q", "-F", "-U", "a4b2c3d4-0000-4000-8000-000000000000", "-L",
                                   "SECOND", second, "4M"}));
        const QString point = dir.filePath("mnt point");
        QString label;
        QString serial;
        {
            Mount mount("mount", {"-o", "loop", first}, point);
            if (!mount.mounted())
                QSKIP("loop mounting is refused here");
            QVERIFY(QDir(point).mkpath("sub/folder"));
            GetVolumeId(point + "/sub/folder", label, serial);
            QCOMPARE(label, QStringLiteral("LongExtLabel1"));
            QCOMPARE(serial, QStringLiteral("1234-5678"));
        }
        Mount mount("mount", {"-o", "loop", second}, point);
        QVERIFY(mount.mounted());
        GetVolumeId(point, label, serial);
        QCOMPARE(label, QStringLiteral("SECOND"));
        QCOMPARE(serial, QStringLiteral("FFFFA4B2-FFFFC3D4"));
    }

    // A FUSE filesystem counts when it sits on a block device, not when it serves a plain file.
    void fuseMounts()
    {
        if (tool("mkntfs").isEmpty() || tool("ntfs-3g").isEmpty())
            QSKIP("ntfs-3g is not installed");
        QTemporaryDir dir;
        const QString image = dir.filePath("ntfs.img");
        QVERIFY(QFile(image).open(QIODevice::WriteOnly) && QFile(image).resize(4 << 20));
        QVERIFY(make("mkntfs", {"-q", "-F", "-f", "-L", "NTFS DISC", image}));
        QString label;
        QString serial = "kept";
        {
            Mount mount("mount", {"-t", "ntfs-3g", "-o", "loop", image}, dir.filePath("mnt"));
            if (!mount.mounted())
                QSKIP("FUSE mounting is refused here");
            GetVolumeId(dir.filePath("mnt"), label, serial);
            QCOMPARE(label, QStringLiteral("NTFS DISC"));
            QVERIFY(serial != QLatin1String("kept"));
        }
        Mount mount(tool("ntfs-3g"), {image}, dir.filePath("mnt"));
        QVERIFY(mount.mounted());
        serial = "kept";
        GetVolumeId(dir.filePath("mnt"), label, serial);
        QCOMPARE(label, QString(14, ' '));
        QCOMPARE(serial, QStringLiteral("kept"));
    }
};

QTEST_GUILESS_MAIN(TestVolumeId)
#include "tst_volumeid.moc"
