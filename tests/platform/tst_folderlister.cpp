#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/platformerror.h"

#include <QDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

static int errorNumber(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const PlatformError &e) {
        return e.number();
    }
    return 0;
}

class TestFolderLister : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QByteArray at(const char *name) const { return QFile::encodeName(m_dir.path()) + '/' + name; }

private Q_SLOTS:
    // Names in byte order, links to folders skipped; a folder gone by the time it is listed is 76.
    void entriesAreSortedAndLinksToFoldersSkipped()
    {
        const QByteArray tree = at("tree");
        for (const char *dir : {"b", "A", "_x"})
            QVERIFY(QDir().mkpath(QFile::decodeName(tree + '/' + dir)));
        for (const char *file : {"z.txt", "a.txt", "B.txt", "\xc3\xa9.txt"})
            QVERIFY(QFile(QFile::decodeName(tree + '/' + file)).open(QIODevice::WriteOnly));
        QCOMPARE(::symlink("b", (tree + "/linkdir").constData()), 0);
        FolderEntries entries;
        systemFolderLister().list(tree, entries);
        QCOMPARE(entries.subFolders, (std::vector<QByteArray>{"A", "_x", "b"}));
        QCOMPARE(entries.files,
                 (std::vector<QByteArray>{"B.txt", "a.txt", "z.txt", "\xc3\xa9.txt"}));
        QCOMPARE(errorNumber([&] { systemFolderLister().list(at("vanished"), entries); }), 76);
    }

    void getFolderResolvesTheTypedPath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("error");
        const QString base = m_dir.path();
        QDir(base).mkpath(QStringLiteral("p/q"));
        QTest::newRow("trailing separators") << base + "/p//q//" << base + "/p/q" << 0;
        QTest::newRow("dots") << base + "/p/./q/../q" << base + "/p/q" << 0;
        QTest::newRow("missing") << base + "/nothing" << QString() << 76;
        QTest::newRow("nul") << base + QChar(0) + "x" << QString() << 52;
        // As a Linux user types or pastes them: the home folder, a file manager's address.
        QDir(base).mkpath(QStringLiteral("a b#1"));
        qputenv("HOME", QFile::encodeName(base + "/p"));
        QTest::newRow("home") << "~" << base + "/p" << 0;
        QTest::newRow("in home") << "~/q/" << base + "/p/q" << 0;
        QTest::newRow("another's home") << "~root" << QString() << 76;
        QTest::newRow("address") << "file://" + base + "/a%20b%231" << base + "/a b#1" << 0;
        QTest::newRow("address on localhost")
            << "file://localhost" + base + "/p/q" << base + "/p/q" << 0;
        QTest::newRow("address on another host") << "file://host" + base + "/p" << QString() << 76;
    }
    void getFolderResolvesTheTypedPath()
    {
        QFETCH(QString, typed);
        QByteArray got;
        QTEST(errorNumber([&] { got = systemFolderLister().GetFolder(typed); }), "error");
        QTEST(QString::fromUtf8(got), "folder");
    }

    // Birth time (unless absent or zero) else last write; a gone file is 53; days before 1970.
    void fileMetadata()
    {
        const auto created = [](bool reported, qint64 birth) {
            struct statx st = {};
            st.stx_mask = STATX_SIZE | STATX_ATIME | STATX_MTIME | (reported ? STATX_BTIME : 0);
            st.stx_btime.tv_sec = birth;
            st.stx_mtime.tv_sec = 900;
            return FileMetadataReader::fromStatx(st).created.seconds;
        };
        QCOMPARE(created(true, 500), 500);
        QCOMPARE(created(false, 500), 900);
        QCOMPARE(created(true, 0), 900);
        QCOMPARE(errorNumber([&] { systemFileMetadataReader().read(at("none")); }), 53);
        QCOMPARE((FileTime{-1, 0}.utcDay()), -1); // 1969-12-31
    }
};

QTEST_GUILESS_MAIN(TestFolderLister)
#include "tst_folderlister.moc"
