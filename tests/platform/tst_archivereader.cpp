#include "platform/archivereader.h"
#include "platform/platformerror.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Real archives, made by the tools a user makes them with, read as the indexer reads them.
class tst_ArchiveReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void list_data();
    void list();
    void bounds_data();
    void bounds();
    void extract();
    void extractRefusesMoreThanRecorded();
    void namesThatAreArchives_data();
    void namesThatAreArchives();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void run(const QString &program, const QStringList &arguments, const QString &in = QString());
    static QStringList listed(const std::vector<ArchiveMember> &members);

    QTemporaryDir m_dir;
};

void tst_ArchiveReader::run(const QString &program, const QStringList &arguments, const QString &in)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
    QProcess process;
    process.setWorkingDirectory(in.isEmpty() ? m_dir.path() : in);
    process.start(program, arguments);
    QVERIFY2(process.waitForFinished(60000) && process.exitCode() == 0,
             qPrintable(program + QString::fromLocal8Bit(process.readAllStandardError())));
}

QStringList tst_ArchiveReader::listed(const std::vector<ArchiveMember> &members)
{
    QStringList out;
    for (const ArchiveMember &m : members)
        out << QString::fromUtf8(m.path()) + QLatin1Char(' ') + QString::number(m.size);
    return out;
}

void tst_ArchiveReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString tree = path(QStringLiteral("tree"));
    QVERIFY(QDir().mkpath(tree + QStringLiteral("/2019/june")));
    QVERIFY(QDir().mkpath(tree + QStringLiteral("/empty")));
    const auto write = [](const QString &file, const QByteArray &bytes) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(tree + QStringLiteral("/2019/june/Été à Zürich.jpg"), QByteArray(3000, 'j'));
    write(tree + QStringLiteral("/2019/notes.txt"), "notes\n");
    write(tree + QStringLiteral("/readme"), "");
    // Made at a fixed time, so that the modification times are known.
    run(QStringLiteral("touch"), {QStringLiteral("-d"), QStringLiteral("2019-06-21 12:00:00 UTC"),
                                  tree + QStringLiteral("/2019/june/Été à Zürich.jpg")});
    const QStringList members{QStringLiteral("2019"), QStringLiteral("readme"),
                              QStringLiteral("empty")};
    run(QStringLiteral("zip"),
        QStringList{QStringLiteral("-qr"), path(QStringLiteral("photos.zip"))} + members, tree);
    run(QStringLiteral("bsdtar"),
        QStringList{QStringLiteral("-czf"), path(QStringLiteral("photos.tar.gz"))} + members, tree);
    run(QStringLiteral("bsdtar"),
        QStringList{QStringLiteral("--format"), QStringLiteral("7zip"), QStringLiteral("-cf"),
                    path(QStringLiteral("photos.7z"))} +
            members,
        tree);
    run(QStringLiteral("genisoimage"),
        {QStringLiteral("-quiet"), QStringLiteral("-R"), QStringLiteral("-J"),
         QStringLiteral("-input-charset"), QStringLiteral("utf-8"), QStringLiteral("-o"),
         path(QStringLiteral("photos.iso")), tree});
    run(QStringLiteral("zip"),
        {QStringLiteral("-q"), QStringLiteral("-P"), QStringLiteral("secret"),
         path(QStringLiteral("locked.zip")), QStringLiteral("2019/notes.txt")},
        tree);
    // An archive in an archive is one member.
    run(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("nested.zip"),
                                QStringLiteral("photos.zip"), QStringLiteral("photos.tar.gz")});
    // Cut short in the middle of a member, as a download stopped half way.
    run(QStringLiteral("zip"),
        QStringList{QStringLiteral("-q0r"), path(QStringLiteral("stored.zip"))} + members, tree);
    QFile whole(path(QStringLiteral("stored.zip")));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    write(path(QStringLiteral("truncated.zip")), whole.read(whole.size() / 2));
    // A gigabyte of zeros in one member: its header says so, nothing of it is inflated.
    run(QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import zipfile\n"
                        "with zipfile.ZipFile('bomb.zip','w',zipfile.ZIP_DEFLATED) as z:\n"
                        "  with z.open('zeros.bin','w',force_zip64=True) as f:\n"
                        "    for i in range(1024): f.write(bytes(1<<20))\n")});
    run(QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("head -c 300000000 /dev/zero > zeros.bin && bsdtar -czf zeros.tar.gz "
                        "zeros.bin && rm zeros.bin && head -c 2000000 /dev/urandom > noise.bin && "
                        "bsdtar -czf noise.tar.gz noise.bin && rm noise.bin")});
    write(path(QStringLiteral("notes.txt.gz")), QByteArray());
    run(QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("echo hello | gzip > notes.txt.gz; head -c 5000 "
                                              "/dev/urandom > noise.zip; mkfifo pipe.zip")});
}

void tst_ArchiveReader::list_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("members");
    const QStringList photos{QStringLiteral("2019/june/Été à Zürich.jpg 3000"),
                             QStringLiteral("2019/notes.txt 6"), QStringLiteral("readme 0")};
    QTest::newRow("zip, folders, non-ASCII") << "photos.zip" << int(ArchiveReader::Read) << photos;
    QTest::newRow("tar.gz") << "photos.tar.gz" << int(ArchiveReader::Read) << photos;
    QTest::newRow("7z by bsdtar") << "photos.7z" << int(ArchiveReader::Read) << photos;
    QTest::newRow("ISO 9660") << "photos.iso" << int(ArchiveReader::Read) << photos;
    QTest::newRow("archive in archive")
        << "nested.zip" << int(ArchiveReader::Read)
        << QStringList{QStringLiteral("photos.zip %1")
                           .arg(QFileInfo(path(QStringLiteral("photos.zip"))).size()),
                       QStringLiteral("photos.tar.gz %1")
                           .arg(QFileInfo(path(QStringLiteral("photos.tar.gz"))).size())};
    QTest::newRow("zip bomb: headers only") << "bomb.zip" << int(ArchiveReader::Read)
                                            << QStringList{QStringLiteral("zeros.bin 1073741824")};
    QTest::newRow("truncated zip")
        << "truncated.zip" << int(ArchiveReader::Damaged) << QStringList();
    QTest::newRow("encrypted zip")
        << "locked.zip" << int(ArchiveReader::Encrypted) << QStringList();
    QTest::newRow("not an archive, named one")
        << "noise.zip" << int(ArchiveReader::Damaged) << QStringList();
    QTest::newRow("one compressed file")
        << "notes.txt.gz" << int(ArchiveReader::NotArchive) << QStringList();
    QTest::newRow("a pipe, never waited on")
        << "pipe.zip" << int(ArchiveReader::NotArchive) << QStringList();
    QTest::newRow("gone") << "gone.zip" << int(ArchiveReader::Damaged) << QStringList();
}

void tst_ArchiveReader::list()
{
    QFETCH(QString, file);
    QFETCH(int, outcome);
    QFETCH(QStringList, members);
    std::vector<ArchiveMember> found;
    QCOMPARE(int(systemArchiveReader().list(QFile::encodeName(path(file)), ArchiveLimits(), found)),
             outcome);
    QStringList got = listed(found);
    got.sort();
    members.sort();
    QCOMPARE(got, members);
    if (file == QLatin1String("photos.zip") || file == QLatin1String("photos.7z")) {
        const auto jpg = std::find_if(found.begin(), found.end(), [](const ArchiveMember &m) {
            return m.name.endsWith(".jpg");
        });
        QVERIFY(jpg->hasModified);
        // zip keeps local times to two seconds; the test runs in UTC
        QVERIFY(qAbs(jpg->modified - 1561118400) <= 2);
    }
}

void tst_ArchiveReader::bounds_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("compressedBytes");
    QTest::addColumn<qint64>("members");
    QTest::addColumn<int>("pathBytes");
    QTest::newRow("members") << "photos.zip" << ArchiveLimits::DefaultCompressedBytes << qint64(2)
                             << 4096;
    QTest::newRow("path length") << "photos.tar.gz" << ArchiveLimits::DefaultCompressedBytes
                                 << qint64(100) << 10;
    QTest::newRow("bytes read") << "noise.tar.gz" << qint64(100) << qint64(100) << 4096;
    // 300 MB of zeros are 300 KB of gzip: the stream may inflate only to a few times that.
    QTest::newRow("stream inflated") << "zeros.tar.gz" << qint64(10) << qint64(100) << 4096;
}

void tst_ArchiveReader::bounds()
{
    QFETCH(QString, file);
    QFETCH(qint64, compressedBytes);
    QFETCH(qint64, members);
    QFETCH(int, pathBytes);
    ArchiveLimits limits;
    limits.compressedBytes = compressedBytes << 10;
    limits.members = members;
    limits.pathBytes = pathBytes;
    std::vector<ArchiveMember> found;
    QCOMPARE(int(systemArchiveReader().list(QFile::encodeName(path(file)), limits, found)),
             int(ArchiveReader::TooLarge));
    QVERIFY(found.empty());
}

void tst_ArchiveReader::extract()
{
    const QByteArray out = QFile::encodeName(path(QStringLiteral("out.jpg")));
    for (const char *archive : {"photos.zip", "photos.7z", "photos.tar.gz", "photos.iso"}) {
        QFile::remove(QString::fromUtf8(out));
        systemArchiveReader().extract(QFile::encodeName(path(QLatin1String(archive))),
                                      QStringLiteral("2019/june/Été à Zürich.jpg").toUtf8(), 3000,
                                      out);
        QFile f(QString::fromUtf8(out));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray(3000, 'j'));
        struct stat st;
        QCOMPARE(::stat(out.constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
    }
    // A member that is not there, and an encrypted one.
    QFile::remove(QString::fromUtf8(out));
    QVERIFY_THROWS_EXCEPTION(
        PlatformError,
        systemArchiveReader().extract(QFile::encodeName(path(QStringLiteral("photos.zip"))),
                                      "2019/gone.txt", 10, out));
    QVERIFY_THROWS_EXCEPTION(
        PlatformError,
        systemArchiveReader().extract(QFile::encodeName(path(QStringLiteral("locked.zip"))),
                                      "2019/notes.txt", 10, out));
    QVERIFY(!QFile::exists(QString::fromUtf8(out)));
    // Stopped: nothing is left behind.
    const std::atomic<bool> stop{true};
    QVERIFY_THROWS_EXCEPTION(
        PlatformError,
        systemArchiveReader().extract(QFile::encodeName(path("photos.tar.gz")),
                                      QStringLiteral("2019/june/Été à Zürich.jpg").toUtf8(), 3000,
                                      out, &stop));
    QVERIFY(!QFile::exists(QString::fromUtf8(out)));
}

void tst_ArchiveReader::extractRefusesMoreThanRecorded()
{
    // The bomb's member stands for a catalogue row that recorded a smaller size.
    const QByteArray out = QFile::encodeName(path(QStringLiteral("zeros.out")));
    try {
        systemArchiveReader().extract(QFile::encodeName(path(QStringLiteral("bomb.zip"))),
                                      "zeros.bin", 1 << 20, out);
        QFAIL("a member larger than recorded was written");
    } catch (const PlatformError &e) {
        QCOMPARE(e.number(), 75);
    }
    QVERIFY(!QFile::exists(QString::fromUtf8(out)));
}

void tst_ArchiveReader::namesThatAreArchives_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("archive");
    QTest::newRow("zip") << QByteArray("photos-2019.ZIP") << true;
    QTest::newRow("tar.zst") << QByteArray("snap.tar.zst") << true;
    QTest::newRow("iso") << QByteArray("debian.iso") << true;
    QTest::newRow("photo") << QByteArray("IMG_0001.jpg") << false;
    QTest::newRow("no dot") << QByteArray("README") << false;
    QTest::newRow("office file") << QByteArray("letter.docx") << false;
}

void tst_ArchiveReader::namesThatAreArchives()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, archive);
    QCOMPARE(ArchiveReader::looksLikeArchive(name), archive);
}

QTEST_GUILESS_MAIN(tst_ArchiveReader)
#include "tst_archivereader.moc"
