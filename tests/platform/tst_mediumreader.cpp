#include "platform/mediumreader.h"
#include "platform/udevidentity.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Label and serial read from real filesystem images made here by the mkfs tools, against what the
// tools were told to write or the descriptor bytes Windows derives the serial from.
class TestMediumReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    enum Sums { None, IsoPrimary, IsoJoliet, Udf };

    static QString tool(const QString &name)
    {
        const QString path = QStandardPaths::findExecutable(name);
        return path.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"}) : path;
    }

    // Runs "tool arg..." with %i standing for the image and %d for a folder of content.
    bool run(QStringList command, const QString &image)
    {
        const QString program = tool(command.takeFirst());
        command.replaceInStrings("%i", image).replaceInStrings("%d", m_dir.filePath("content"));
        QProcess process;
        process.start(program, command);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    static QByteArray bytesAt(const QString &path, qint64 offset, qint64 size)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        file.seek(offset);
        return file.read(size);
    }

    // The four byte sums over a descriptor, S0 first, in the order ISO uses or reversed for UDF.
    static quint32 sumSerial(const QByteArray &d, bool reversed)
    {
        quint32 s[4] = {};
        for (int i = 0; i < d.size(); ++i)
            s[i % 4] = (s[i % 4] + quint8(d[i])) & 0xFF;
        return reversed ? s[3] << 24 | s[2] << 16 | s[1] << 8 | s[0]
                        : s[0] << 24 | s[1] << 16 | s[2] << 8 | s[3];
    }

    // The UDF File Set Descriptor: the first block tagged 256 whose tag checksum holds.
    static QByteArray fileSetDescriptor(const QString &image)
    {
        const QByteArray all = bytesAt(image, 0, QFileInfo(image).size());
        for (int at = 0; at + 16 <= all.size(); at += 512) {
            quint8 check = 0;
            for (int i = 0; i < 16; ++i)
                check = i == 4 ? check : quint8(check + quint8(all[at + i]));
            if (all[at] == 0 && all[at + 1] == 1 && check == quint8(all[at + 4]))
                return all.mid(at, 2048);
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir(m_dir.path()).mkpath("content"));
        QFile(m_dir.filePath("content/a.txt")).open(QIODevice::WriteOnly);
    }

    void read_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("make");
        QTest::addColumn<QStringList>("setSerial");
        QTest::addColumn<QString>("label");
        QTest::addColumn<quint32>("serial");
        QTest::addColumn<int>("sums");
        const QStringList fat12{"mkfs.vfat", "-C", "-F", "12", "%i", "1440"};
        const QStringList fat16{"mkfs.vfat", "-C", "-F", "16", "%i", "16384"};
        // FAT32 needs 65525 clusters: one 512-byte sector each, about 33 MB.
        const QStringList fat32{"mkfs.vfat", "-C", "-F", "32", "-S",
                                "512",       "-s", "1",  "%i", "34000"};
        const QStringList exfat{"mkfs.exfat", "%i"};
        const QStringList ntfs{"mkntfs", "-q", "-F", "-f", "%i"};
        const QStringList iso{"genisoimage", "-quiet", "-input-charset", "utf-8", "-o", "%i", "%d"};
        const QStringList udf{"mkudffs", "--new-file", "%i", "8192"};
        const QStringList exfatSerial{"tune.exfat", "-I", "0x01E50010", "%i"};
        const QStringList ntfsSerial{"ntfslabel", "--new-serial=0123456789ABCDEF", "%i"};
        // The options of a row go right after the tool's name.
        const auto row = [](const char *name, const char *type, const QStringList &make,
                            const QStringList &options, const QStringList &setSerial,
                            const char *shown, quint32 serial, Sums sums = None) {
            QTest::newRow(name) << type << make.mid(0, 1) + options + make.mid(1) << setSerial
                                << shown << serial << int(sums);
        };
        row("FAT12", "vfat", fat12, {"-i", "1234ABCD", "-n", "DISK 1"}, {}, "DISK 1", 0x1234ABCD);
        row("FAT12 blank", "vfat", fat12, {"-i", "0", "-n", "   "}, {}, "", 0);
        // The boot sector then says NO NAME, which Windows does not show.
        row("FAT16 no label", "vfat", fat16, {"-i", "A4B2C3D4"}, {}, "", 0xA4B2C3D4);
        row("FAT16 eleven", "vfat", fat16, {"-i", "120034", "-n", "ABCDEFGHIJK"}, {}, "ABCDEFGHIJK",
            0x00120034);
        row("FAT32", "vfat", fat32, {"-i", "7FFF0C00", "-n", "BACKUP 2002"}, {}, "BACKUP 2002",
            0x7FFF0C00);
        row("exFAT no label", "exfat", exfat, {}, exfatSerial, "", 0x01E50010);
        row("exFAT eleven", "exfat", exfat, {"-L", "ElevenChars"}, exfatSerial, "ElevenChars",
            0x01E50010);
        row("exFAT non-ASCII", "exfat", exfat, {"-L", "Öl été"}, exfatSerial, "Öl été", 0x01E50010);
        // Windows shows the low half of NTFS's 64-bit serial.
        row("NTFS no label", "ntfs", ntfs, {}, ntfsSerial, "", 0x89ABCDEF);
        row("NTFS thirteen", "ntfs", ntfs, {"-L", "Thirteen char"}, ntfsSerial, "Thirteen char",
            0x89ABCDEF);
        row("NTFS longer", "ntfs", ntfs, {"-L", "A longer NTFS label"}, ntfsSerial,
            "A longer NTFS label", 0x89ABCDEF);
        row("ISO empty", "iso9660", iso, {"-V", ""}, {}, "", 0, IsoPrimary);
        row("ISO blank", "iso9660", iso, {"-V", "   "}, {}, "", 0, IsoPrimary);
        row("ISO thirteen", "iso9660", iso, {"-V", "THIRTEENCHARS"}, {}, "THIRTEENCHARS", 0,
            IsoPrimary);
        row("ISO longer", "iso9660", iso, {"-V", "A_LONGER_VOLUME_ID"}, {}, "A_LONGER_VOLUME_ID", 0,
            IsoPrimary);
        // Joliet keeps sixteen characters.
        row("Joliet", "iso9660", iso, {"-J", "-V", "Joliet Label Longer"}, {}, "Joliet Label Lon",
            0, IsoJoliet);
        row("Joliet non-ASCII", "iso9660", iso, {"-J", "-V", "Ça été"}, {}, "Ça été", 0, IsoJoliet);
        row("UDF and ISO", "udf", iso, {"-udf", "-J", "-V", "BRIDGE"}, {}, "BRIDGE", 0, Udf);
        row("UDF 512-byte blocks", "udf", udf, {"--utf8", "-b512", "--label=UDF Label 1"}, {},
            "UDF Label 1", 0, Udf);
        row("UDF DVD blocks", "udf", udf,
            {"--utf8", "-b2048", "--vid=Vol", "--lvid=LogicalVolume12345"}, {},
            "LogicalVolume12345", 0, Udf);
        row("UDF empty", "udf", udf, {"--utf8", "-b512", "--vid=Vol", "--lvid="}, {}, "", 0, Udf);
        row("UDF 2.50 metadata", "udf", udf,
            {"--utf8", "-b2048", "-mbdr", "--udfrev=2.50", "--lvid=BD"}, {}, "BD", 0, Udf);
        row("UDF unicode", "udf", udf, {"--utf8", "-b2048", "--lvid=Über Ω"}, {}, "Über Ω", 0, Udf);
    }

    void read()
    {
        QFETCH(QStringList, make);
        QFETCH(QStringList, setSerial);
        QFETCH(quint32, serial);
        QFETCH(int, sums);
        if (tool(make[0]).isEmpty())
            QSKIP(qPrintable(make[0] + " is not installed"));
        const QString image = m_dir.filePath(QTest::currentDataTag() + QStringLiteral(".img"));
        if (make[0] == "mkfs.exfat" || make[0] == "mkntfs")
            QVERIFY(QFile(image).open(QIODevice::WriteOnly) && QFile(image).resize(4 << 20));
        QVERIFY(run(make, image));
        if (!setSerial.isEmpty() && !run(setSerial, image)) {
            // No tool to set it: the serial the mkfs tool chose.
            const QByteArray b = bytesAt(image, make[0] == "mkntfs" ? 0x48 : 100, 4);
            serial = quint8(b[0]) | quint8(b[1]) << 8 | quint8(b[2]) << 16 | quint8(b[3]) << 24;
        }
        // genisoimage puts the primary descriptor at sector 16 and the Joliet one right after.
        if (sums == IsoPrimary || sums == IsoJoliet) {
            const QByteArray descriptor =
                bytesAt(image, (sums == IsoJoliet ? 17 : 16) * 2048, 2048);
            QCOMPARE(int(descriptor[0]), sums == IsoJoliet ? 2 : 1);
            serial = sumSerial(descriptor, false);
        }
        if (sums == Udf) {
            const QByteArray descriptor = fileSetDescriptor(image);
            QVERIFY(!descriptor.isEmpty());
            serial = sumSerial(descriptor, true);
        }

        const MediumIdentity id = MediumReader::read(image);
        QCOMPARE(id.status, MediumIdentity::Read);
        QTEST(id.type, "type");
        QTEST(id.label, "label");
        QCOMPARE(id.serial, serial);
    }

    // The label bytes are DOS code page 850, and the boot-sector copy is not the label.
    void fatOemLabel()
    {
        const QString image = m_dir.filePath("oem.img");
        if (!run({"mkfs.vfat", "-C", "-F", "16", "-n", "CAFX", "%i", "16384"}, image))
            QSKIP("mkfs.vfat is not installed");
        QFile file(image);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray data = file.readAll();
        const int entry = data.indexOf(QByteArray("CAFX       \x08", 12));
        QVERIFY(entry > 0x200);
        data[entry + 3] = char(0x90); // É
        data.replace(data.indexOf("CAFX"), 4, "BOOT");
        file.seek(0);
        file.write(data);
        file.close();
        QCOMPARE(MediumReader::read(image).label, QStringLiteral("CAF\u00C9"));
    }

    void unreadableOrUnknown()
    {
        QCOMPARE(MediumReader::read(m_dir.filePath("missing")).status, MediumIdentity::Unreadable);
        QFile blank(m_dir.filePath("blank.img"));
        QVERIFY(blank.open(QIODevice::WriteOnly) && blank.resize(1 << 20));
        QCOMPARE(MediumReader::read(blank.fileName()).status, MediumIdentity::Unrecognised);
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
        QTest::newRow("ext4") << QByteArray("ext4") << QByteArray()
                              << QByteArray("12345678-9abc-def0-1234-56789abcdef0") << true << ""
                              << 0x12345678u;
        QTest::newRow("CD") << QByteArray("iso9660") << QByteArray("CD")
                            << QByteArray("2002-03-05-00-00-00-00") << false << "" << 0u;
    }

    void udevProperties()
    {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, labelEnc);
        QFETCH(QByteArray, uuidEnc);
        const MediumIdentity id = UdevIdentity::fromProperties(type, labelEnc, uuidEnc);
        QTEST(id.ok(), "ok");
        if (id.ok()) {
            QTEST(id.label, "label");
            QTEST(id.serial, "serial");
        }
    }
};

QTEST_GUILESS_MAIN(TestMediumReader)
#include "tst_mediumreader.moc"
