#include "platform/mediumreader.h"
#include "platform/udevidentity.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Label and serial read from images made by the mkfs tools, against what the tools were told.
class TestMediumReader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QTemporaryDir m_content; // an empty folder to make discs of

    // Where the serial is summed from: UDF's File Set Descriptor, or an ISO descriptor's sector.
    enum Sums { None, Udf, IsoPrimary = 16, IsoJoliet = 17 };

    // Runs shell commands, %i standing for the image and %d for the content folder.
    bool run(QString commands, const QString &image)
    {
        commands.replace("%i", '\'' + image + '\'').replace("%d", m_content.path());
        const QString script = "PATH=/usr/sbin:/sbin:$PATH; exec >/dev/null; " + commands;
        return QProcess::execute("sh", {"-ec", script}) == 0;
    }

    // The four byte sums over a descriptor, S0 first, in the order ISO uses or reversed for UDF.
    static quint32 sumSerial(const QByteArray &d, bool reversed)
    {
        quint8 s[4] = {};
        for (int i = 0; i < d.size(); ++i)
            s[i % 4] += quint8(d[i]);
        return reversed ? qFromLittleEndian<quint32>(s) : qFromBigEndian<quint32>(s);
    }

    // Whether a UDF descriptor tag of that identifier, its checksum holding, starts at at.
    static bool udfTag(const QByteArray &all, int at, int identifier)
    {
        quint8 check = 0;
        for (int i = 0; i < 16; ++i)
            check = i == 4 ? check : quint8(check + quint8(all[at + i]));
        return qFromLittleEndian<quint16>(all.constData() + at) == identifier &&
               check == quint8(all[at + 4]);
    }

    // The UDF File Set Descriptor: the first block tagged 256.
    static QByteArray fileSetDescriptor(const QByteArray &all)
    {
        for (int at = 0; at + 16 <= all.size(); at += 512)
            if (udfTag(all, at, 256))
                return all.mid(at, 2048);
        return {};
    }

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("label");
        QTest::addColumn<quint32>("serial");
        QTest::addColumn<int>("sums");
        const auto row = [](const char *name, const QString &make, const char *label,
                            quint32 serial, Sums sums = None) {
            QTest::newRow(name) << make << QString(label) << serial << int(sums);
        };
        const QString iso = "genisoimage -quiet -input-charset utf-8 %1 -o %i %d";
        const QString udf = "mkudffs --utf8 %1 --new-file %i 8192";
        row("FAT12 blank", "mkfs.vfat -C -F 12 -i 1234ABCD -n '   ' %i 1440", "", 0x1234ABCD);
        row("FAT16 no label", "mkfs.vfat -C -F 16 -i A4B2C3D4 %i 16384", "", 0xA4B2C3D4);
        row("FAT16 code page 850, boot sector copy ignored",
            "mkfs.vfat -C -F 16 -i 1234ABCD -n CAFX %i 16384; LC_ALL=C sed -i "
            "'s/CAFX       \\x08/CAF\\x90       \\x08/; s/CAFX/BOOT/' %i",
            "CAF\u00C9", 0x1234ABCD);
        row("FAT32", "mkfs.vfat -C -F 32 -S 512 -s 1 -i 7FFF0C00 -n 'BACKUP 2002' %i 34000",
            "BACKUP 2002", 0x7FFF0C00); // 65525 clusters at least
        const QString exfat = "truncate -s 4M %i; mkfs.exfat %1 %i; tune.exfat -I 0x01E50010 %i";
        row("exFAT non-ASCII", exfat.arg("-L 'Öl été'"), "Öl été", 0x01E50010);
        // Windows shows the low half of NTFS's 64-bit serial; the label is cut by the query.
        row("NTFS longer",
            "truncate -s 4M %i; mkntfs -q -F -f -L 'A longer NTFS label' %i; ntfslabel "
            "--new-serial=0123456789ABCDEF %i",
            "A longer NTFS label", 0x89ABCDEF);
        row("ISO thirteen", iso.arg("-V THIRTEENCHARS"), "THIRTEENCHARS", 0, IsoPrimary);
        row("Joliet", iso.arg("-J -V \"Ça été, Joliet label\""), "Ça été, Joliet l", 0, IsoJoliet);
        row("UDF and ISO", iso.arg("-udf -J -V BRIDGE"), "BRIDGE", 0, Udf);
        row("UDF DVD", udf.arg("-b2048 --vid=Vol \"--lvid=Über Ω LogicalVolume\""),
            "Über Ω LogicalVolume", 0, Udf);
        row("UDF 2.50 metadata", udf.arg("-b2048 -mbdr --udfrev=2.50 --lvid=BD"), "BD", 0, Udf);
    }

    void read()
    {
        QFETCH(QString, make);
        QFETCH(quint32, serial);
        QFETCH(int, sums);
        QFile image(m_dir.filePath(QTest::currentDataTag() + QStringLiteral(".img")));
        QVERIFY(run(make, image.fileName()));
        QVERIFY(image.open(QIODevice::ReadOnly));
        const QByteArray all = image.readAll();
        if (sums != None) {
            const QByteArray d = sums == Udf ? fileSetDescriptor(all) : all.mid(sums * 2048, 2048);
            // genisoimage writes the primary descriptor (type 1), then Joliet's (type 2).
            QVERIFY(d.size() == 2048 && (sums == Udf || d[0] == char(sums - 15)));
            serial = sumSerial(d, sums == Udf);
        }
        const MediumIdentity id = MediumReader::read(image.fileName());
        QCOMPARE(id.status, MediumIdentity::Read);
        QTEST(id.label, "label");
        QCOMPARE(id.serial, serial);
    }

    // The logical volume's block size and File Set block (offsets 212 and 252) are outside its
    // tag's checksum: set both high, they are refused before they are multiplied, and the File
    // Set Descriptor is looked for in the partition instead.
    void udfFileSetFieldsHigh_data()
    {
        QTest::addColumn<quint32>("logicalBlock");
        QTest::addColumn<quint32>("fileSetBlock");
        QTest::newRow("both all ones") << 0xFFFFFFFFu << 0xFFFFFFFFu;
        QTest::newRow("a power of two too large") << 0x80000000u << 0xFFFFFFF0u;
        QTest::newRow("a block size allowed, its block past the end") << 2048u << 0x7FFFFFFFu;
    }
    void udfFileSetFieldsHigh()
    {
        QFETCH(quint32, logicalBlock);
        QFETCH(quint32, fileSetBlock);
        QFile image(m_dir.filePath(QStringLiteral("udf-high.img")));
        QVERIFY(run("mkudffs --utf8 -b2048 --lvid=High --new-file %i 8192", image.fileName()));
        QVERIFY(image.open(QIODevice::ReadWrite));
        QByteArray all = image.readAll();
        const quint32 serial = sumSerial(fileSetDescriptor(all), true);
        int patched = 0;
        for (int at = 0; at + 512 <= all.size(); at += 2048) {
            if (udfTag(all, at, 6)) {
                qToLittleEndian(logicalBlock, all.data() + at + 212);
                qToLittleEndian(fileSetBlock, all.data() + at + 252);
                ++patched;
            }
        }
        QVERIFY(patched > 0); // the main and the reserve sequence's
        QVERIFY(image.seek(0) && image.write(all) == all.size() && image.flush());
        const MediumIdentity id = MediumReader::read(image.fileName());
        QCOMPARE(id.status, MediumIdentity::Read);
        QCOMPARE(id.type, QStringLiteral("udf"));
        QCOMPARE(id.label, QStringLiteral("High"));
        QCOMPARE(id.serial, serial);
    }

    // Only an unreadable device lets udev's record stand in: a blank one has no serial.
    void unreadableOrUnknown()
    {
        QCOMPARE(MediumReader::read(m_dir.filePath("missing")).status, MediumIdentity::Unreadable);
        QFile blank(m_dir.filePath("blank.img"));
        QVERIFY(blank.open(QIODevice::WriteOnly) && blank.resize(1 << 20));
        QCOMPARE(MediumReader::read(blank.fileName()).status, MediumIdentity::Unrecognised);
    }

    // Without read access to the device, udev's record stands in; a CD's serial needs the disc.
    void udevProperties_data()
    {
        QTest::addColumn<QByteArray>("labelEnc"); // the row's name is the filesystem type
        QTest::addColumn<QByteArray>("uuidEnc");
        QTest::addColumn<QString>("label");
        QTest::addColumn<quint32>("serial");
        QTest::newRow("vfat") << QByteArray("CAF\\x90\\x20X") << QByteArray("ABCD-0034")
                              << QStringLiteral("CAF\u00C9 X") << 0xABCD0034u;
        QTest::newRow("ntfs") << QByteArray("D\\xc3\\xa4ta") << QByteArray("0123456789ABCDEF")
                              << QStringLiteral("D\u00E4ta") << 0x89ABCDEFu; // UTF-8
        QTest::newRow("iso9660") << QByteArray("CD") << QByteArray("2002-03-05-00-00-00-00")
                                 << QString() << 0u;
    }

    void udevProperties()
    {
        QFETCH(QByteArray, labelEnc);
        QFETCH(QByteArray, uuidEnc);
        QFETCH(QString, label);
        const auto id = UdevIdentity::fromProperties(QTest::currentDataTag(), labelEnc, uuidEnc);
        QCOMPARE(id.ok(), !label.isNull());
        QCOMPARE(id.label, label);
        QTEST(id.serial, "serial");
    }
};

QTEST_GUILESS_MAIN(TestMediumReader)
#include "tst_mediumreader.moc"
