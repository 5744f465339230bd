#include "platform/mediumreader.h"
#include "platform/udevidentity.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Label and serial read from real filesystem images, made here by the mkfs tools, against the
// values the tools were told to write or the descriptor bytes Windows derives them from.
class TestMediumReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_images = 0;

    QString tool(const QString &name)
    {
        QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty())
            path = QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"});
        return path;
    }

    // Runs a tool; false (and a skip message) when it is not installed.
    bool run(const QString &name, const QStringList &args)
    {
        const QString program = tool(name);
        if (program.isEmpty())
            return false;
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, args);
        process.waitForFinished(60000);
        if (process.exitCode() != 0)
            qWarning().noquote() << name << args << process.readAll();
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QString newImage(qint64 size = 0)
    {
        const QString path = m_dir.filePath(QStringLiteral("image%1.img").arg(++m_images));
        if (size > 0) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.resize(size);
        }
        return path;
    }

    static QByteArray bytesAt(const QString &path, qint64 offset, qint64 size)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        file.seek(offset);
        return file.read(size);
    }

    static std::array<quint32, 4> sums(const QByteArray &d)
    {
        std::array<quint32, 4> s{};
        for (int i = 0; i < d.size(); ++i)
            s[i % 4] = (s[i % 4] + quint8(d[i])) & 0xFF;
        return s;
    }

#define REQUIRE_TOOL(name)                                                                         \
    if (tool(QStringLiteral(name)).isEmpty())                                                      \
        QSKIP(name " is not installed");

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
    }

    void fat_data()
    {
        QTest::addColumn<QString>("fatSize");
        QTest::addColumn<QStringList>("labelArgs");
        QTest::addColumn<QString>("label");
        QTest::addColumn<quint32>("serial");
        QTest::newRow("FAT12 label")
            << "12" << QStringList{"-n", "DISK 1"} << "DISK 1" << 0x1234ABCDu;
        QTest::newRow("FAT12 blank label") << "12" << QStringList{"-n", "   "} << "" << 0u;
        // The boot sector then says NO NAME, which Windows does not show.
        QTest::newRow("FAT16 no label") << "16" << QStringList{} << "" << 0xA4B2C3D4u;
        QTest::newRow("FAT16 eleven")
            << "16" << QStringList{"-n", "ABCDEFGHIJK"} << "ABCDEFGHIJK" << 0x00120034u;
        QTest::newRow("FAT32 label")
            << "32" << QStringList{"-n", "BACKUP 2002"} << "BACKUP 2002" << 0x7FFF0C00u;
        QTest::newRow("FAT32 no label") << "32" << QStringList{} << "" << 0x0C0D8001u;
    }

    void fat()
    {
        REQUIRE_TOOL("mkfs.vfat");
        QFETCH(QString, fatSize);
        QFETCH(QStringList, labelArgs);
        QFETCH(QString, label);
        QFETCH(quint32, serial);
        const QString image = newImage();
        // FAT32 needs 65525 clusters: one 512-byte sector each, about 33 MB.
        QStringList args{"-C", "-F", fatSize, "-i", QString::number(serial, 16)};
        args << labelArgs;
        if (fatSize == QLatin1String("32"))
            args << "-S"
                 << "512"
                 << "-s"
                 << "1" << image << "34000";
        else
            args << image << (fatSize == QLatin1String("12") ? "1440" : "16384");
        QVERIFY(run("mkfs.vfat", args));

        const MediumIdentity id = MediumReader::read(image);
        QCOMPARE(id.status, MediumIdentity::Read);
        QCOMPARE(id.type, QStringLiteral("vfat"));
        QCOMPARE(id.label, label);
        QCOMPARE(id.serial, serial);
    }

    // The label bytes are DOS code page 850; the boot-sector copy is ignored.
    void fatOemLabel()
    {
        REQUIRE_TOOL("mkfs.vfat");
        const QString image = newImage();
        QVERIFY(run("mkfs.vfat", {"-C", "-F", "16", "-n", "CAFX", image, "16384"}));
        QFile file(image);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray data = file.readAll();
        const int entry = data.indexOf(QByteArray("CAFX       \x08", 12));
        QVERIFY(entry > 0x200);
        data[entry + 3] = char(0x90); // É
        const int boot = data.indexOf("CAFX");
        QVERIFY(boot < 0x200);
        data.replace(boot, 4, "BOOT");
        file.seek(0);
        file.write(data);
        file.close();
        QCOMPARE(MediumReader::read(image).label, QStringLiteral("CAF\u00C9"));
    }

    void exfat_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("no label") << "";
        QTest::newRow("label") << "My Disk";
        QTest::newRow("eleven") << "ElevenChars";
        QTest::newRow("non-ASCII") << "Öl \u00E9t\u00E9";
    }

    void exfat()
    {
        REQUIRE_TOOL("mkfs.exfat");
        QFETCH(QString, label);
        const QString image = newImage(4 << 20);
        QStringList args;
        if (!label.isEmpty())
            args << "-L" << label;
        QVERIFY(run("mkfs.exfat", args << image));
        quint32 serial = 0x01E50010;
        if (!run("tune.exfat", {"-I", "0x01E50010", image})) {
            const QByteArray b = bytesAt(image, 100, 4);
            serial =
                quint8(b[0]) | quint8(b[1]) << 8 | quint8(b[2]) << 16 | quint32(quint8(b[3])) << 24;
        }
        const MediumIdentity id = MediumReader::read(image);
        QCOMPARE(id.status, MediumIdentity::Read);
        QCOMPARE(id.type, QStringLiteral("exfat"));
        QCOMPARE(id.label, label);
        QCOMPARE(id.serial, serial);
    }

    void ntfs_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("no label") << "";
        QTest::newRow("thirteen") << "Thirteen char";
        QTest::newRow("longer") << "A longer NTFS volume label";
    }

    void ntfs()
    {
        REQUIRE_TOOL("mkntfs");
        QFETCH(QString, label);
        const QString image = newImage(4 << 20);
        QStringList args{"-q", "-F", "-f"};
        if (!label.isEmpty())
            args << "-L" << label;
        QVERIFY(run("mkntfs", args << image));
        // Windows shows the low half of the 64-bit serial.
        quint32 serial = 0x89ABCDEF;
        if (!run("ntfslabel", {"--new-serial=0123456789ABCDEF", image})) {
            const QByteArray b = bytesAt(image, 0x48, 4);
            serial =
                quint8(b[0]) | quint8(b[1]) << 8 | quint8(b[2]) << 16 | quint32(quint8(b[3])) << 24;
        }
        const MediumIdentity id = MediumReader::read(image);
        QCOMPARE(id.status, MediumIdentity::Read);
        QCOMPARE(id.type, QStringLiteral("ntfs"));
        QCOMPARE(id.label, label);
        QCOMPARE(id.serial, serial);
    }

    void iso_data()
    {
        QTest::addColumn<bool>("joliet");
        QTest::addColumn<QString>("volumeId");
        QTest::addColumn<QString>("label");
        QTest::newRow("plain empty") << false << ""
                                     << "";
        QTest::newRow("plain blank") << false << "   "
                                     << "";
        QTest::newRow("plain thirteen") << false << "THIRTEENCHARS"
                                        << "THIRTEENCHARS";
        QTest::newRow("plain longer") << false << "A_LONGER_VOLUME_ID"
                                      << "A_LONGER_VOLUME_ID";
        QTest::newRow("Joliet") << true << "Joliet Label"
                                << "Joliet Label";
        // Joliet keeps sixteen characters.
        QTest::newRow("Joliet longer") << true << "Joliet Label Longer"
                                       << "Joliet Label Lon";
        QTest::newRow("Joliet non-ASCII") << true << "Ça été"
                                          << "Ça été";
    }

    void iso()
    {
        REQUIRE_TOOL("genisoimage");
        QFETCH(bool, joliet);
        QFETCH(QString, volumeId);
        QFETCH(QString, label);
        const QString content = m_dir.filePath("content");
        QDir().mkpath(content);
        QFile(content + "/a.txt").open(QIODevice::WriteOnly);
        const QString image = newImage();
        QStringList args{"-quiet", "-input-charset", "utf-8", "-V", volumeId, "-o", image};
        if (joliet)
            args << "-J";
        QVERIFY(run("genisoimage", args << content));

        // genisoimage puts the primary descriptor at sector 16 and the Joliet one right after.
        const QByteArray descriptor = bytesAt(image, (joliet ? 17 : 16) * 2048, 2048);
        QCOMPARE(int(descriptor[0]), joliet ? 2 : 1);
        const auto s = sums(descriptor);
        const quint32 serial = s[0] << 24 | s[1] << 16 | s[2] << 8 | s[3];

        const MediumIdentity id = MediumReader::read(image);
        QCOMPARE(id.status, MediumIdentity::Read);
        QCOMPARE(id.type, QStringLiteral("iso9660"));
        QCOMPARE(id.label, label);
        QCOMPARE(id.serial, serial);
    }

    void udf_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("label");
        QTest::newRow("label, 512-byte blocks")
            << QStringList{"--label=UDF Label 1"} << "UDF Label 1";
        QTest::newRow("lvid, DVD blocks")
            << QStringList{"-b", "2048", "--lvid=LogicalVolume12345", "--vid=Vol"}
            << "LogicalVolume12345";
        QTest::newRow("empty lvid") << QStringList{"--lvid=", "--vid=Vol"} << "";
        QTest::newRow("unicode lvid") << QStringList{"-b", "2048", "--lvid=Über Ω"} << "Über Ω";
        QTest::newRow("UDF and ISO 9660") << QStringList{} << "BRIDGE";
    }

    void udf()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, label);
        const QString image = newImage();
        int block = 2048;
        if (args.isEmpty()) {
            REQUIRE_TOOL("genisoimage");
            const QString content = m_dir.filePath("content");
            QDir().mkpath(content);
            QVERIFY(
                run("genisoimage", {"-quiet", "-udf", "-J", "-V", label, "-o", image, content}));
        } else {
            REQUIRE_TOOL("mkudffs");
            if (!args.contains("2048"))
                block = 512;
            QVERIFY(run("mkudffs", QStringList{"--utf8", "--new-file", "-b", QString::number(block)}
                                       << args << image << QString::number((8 << 20) / block)));
        }

        // The File Set Descriptor: the first block tagged 256 with a correct tag checksum.
        const QByteArray whole = bytesAt(image, 0, QFileInfo(image).size());
        QByteArray fileSet;
        for (int at = 0; at + 16 <= whole.size() && fileSet.isEmpty(); at += block) {
            quint8 check = 0;
            for (int i = 0; i < 16; ++i)
                check = i == 4 ? check : quint8(check + quint8(whole[at + i]));
            if (whole[at] == 0 && whole[at + 1] == 1 && check == quint8(whole[at + 4]))
                fileSet = whole.mid(at, 2048);
        }
        QVERIFY(!fileSet.isEmpty());
        const auto s = sums(fileSet);
        const quint32 serial = s[3] << 24 | s[2] << 16 | s[1] << 8 | s[0];

        const MediumIdentity id = MediumReader::read(image);
        QCOMPARE(id.status, MediumIdentity::Read);
        QCOMPARE(id.type, QStringLiteral("udf"));
        QCOMPARE(id.label, label);
        QCOMPARE(id.serial, serial);
    }

    void unreadableOrUnknown()
    {
        QCOMPARE(MediumReader::read(m_dir.filePath("missing")).status, MediumIdentity::Unreadable);
        QCOMPARE(MediumReader::read(newImage(1 << 20)).status, MediumIdentity::Unrecognised);
    }

    // Without read access to the device, udev's record stands in.
    void udevProperties_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("labelEnc");
        QTest::addColumn<QByteArray>("uuidEnc");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("label");
        QTest::addColumn<quint32>("serial");
        QTest::newRow("FAT") << QByteArray("vfat") << QByteArray("MY\\x20DISK")
                             << QByteArray("ABCD-1234") << true << "MY DISK" << 0xABCD1234u;
        QTest::newRow("FAT code page")
            << QByteArray("vfat") << QByteArray("CAF\\x90") << QByteArray("0012-0034") << true
            << "CAF\u00C9" << 0x00120034u;
        QTest::newRow("exFAT UTF-8") << QByteArray("exfat") << QByteArray("\\xc3\\x96l")
                                     << QByteArray("01E5-0010") << true << "\u00D6l" << 0x01E50010u;
        QTest::newRow("NTFS") << QByteArray("ntfs") << QByteArray("Data")
                              << QByteArray("0123456789ABCDEF") << true << "Data" << 0x89ABCDEFu;
        QTest::newRow("ext4") << QByteArray("ext4") << QByteArray("")
                              << QByteArray("12345678-9abc-def0-1234-56789abcdef0") << true << ""
                              << 0x12345678u;
        QTest::newRow("CD") << QByteArray("iso9660") << QByteArray("CD")
                            << QByteArray("2002-03-05-00-00-00-00") << false << "" << 0u;
        QTest::newRow("nothing") << QByteArray() << QByteArray() << QByteArray() << false << ""
                                 << 0u;
    }

    void udevProperties()
    {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, labelEnc);
        QFETCH(QByteArray, uuidEnc);
        QFETCH(bool, ok);
        const MediumIdentity id = UdevIdentity::fromProperties(type, labelEnc, uuidEnc);
        QCOMPARE(id.ok(), ok);
        if (ok) {
            QTEST(id.label, "label");
            QTEST(id.serial, "serial");
        }
    }
};

QTEST_GUILESS_MAIN(TestMediumReader)
#include "tst_mediumreader.moc"
