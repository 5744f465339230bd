#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/platformerror.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void makeFile(const QByteArray &path, qint64 size = 0)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::ftruncate(fd, size), 0);
    ::close(fd);
}

int errorNumber(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const PlatformError &e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestFolderLister : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QByteArray root() const { return QFile::encodeName(m_dir.path()); }
    QByteArray at(const char *name) const { return root() + '/' + name; }

private Q_SLOTS:
    void entriesAreSortedAndLinksToFoldersSkipped()
    {
        const QByteArray tree = at("tree");
        QCOMPARE(::mkdir(tree.constData(), 0755), 0);
        for (const char *dir : {"b", "A", "_x"})
            QCOMPARE(::mkdir((tree + '/' + dir).constData(), 0755), 0);
        for (const char *file : {"z.txt", "a.txt", "B.txt", "\xc3\xa9.txt"})
            makeFile(tree + '/' + file);
        QCOMPARE(::symlink("..", (tree + "/up").constData()), 0);     // a loop
        QCOMPARE(::symlink("b", (tree + "/linkdir").constData()), 0); // a folder
        QCOMPARE(::symlink("a.txt", (tree + "/linkfile").constData()), 0);
        QCOMPARE(::symlink("gone", (tree + "/dangling").constData()), 0);

        FolderEntries entries;
        systemFolderLister().list(tree, entries);
        QCOMPARE(entries.subFolders, (std::vector<QByteArray>{"A", "_x", "b"}));
        QCOMPARE(entries.files, (std::vector<QByteArray>{"B.txt", "a.txt", "dangling", "linkfile",
                                                         "z.txt", "\xc3\xa9.txt"}));
    }

    void getFolderResolvesTheTypedPath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("error");
        const QString base = m_dir.path();
        QDir(base).mkpath(QStringLiteral("p/q"));
        makeFile(at("file.txt"));
        QTest::newRow("trailing separators") << base + "/p//q//" << base + "/p/q" << 0;
        QTest::newRow("dots") << base + "/p/./q/../q" << base + "/p/q" << 0;
        QTest::newRow("root") << "/"
                              << "/" << 0;
        QTest::newRow("relative") << "p/q" << base + "/p/q" << 0;
        QTest::newRow("missing") << base + "/nothing" << QString() << 76;
        QTest::newRow("a file") << base + "/file.txt" << QString() << 76;
        QTest::newRow("under a file") << base + "/file.txt/x" << QString() << 76;
        QTest::newRow("leading blank") << " " + base << QString() << 76;
        QTest::newRow("nul") << base + QChar(0) + "x" << QString() << 52;
    }
    void getFolderResolvesTheTypedPath()
    {
        QFETCH(QString, typed);
        QFETCH(QString, folder);
        QFETCH(int, error);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        QByteArray got;
        const int number = errorNumber([&] { got = systemFolderLister().GetFolder(typed); });
        QDir::setCurrent(previous);
        QCOMPARE(number, error);
        QCOMPARE(QString::fromUtf8(got), folder);
    }

    // Permission bits do not stop root, so the folders here fail in other ways.
    void unreadableFolders_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("vanished") << at("vanished");
        QTest::newRow("a file") << at("plain");
    }
    void unreadableFolders()
    {
        QFETCH(QByteArray, path);
        QCOMPARE(::mkdir(at("vanished").constData(), 0755), 0);
        QCOMPARE(::rmdir(at("vanished").constData()), 0);
        makeFile(at("plain"));
        FolderEntries entries;
        QCOMPARE(errorNumber([&] { systemFolderLister().list(path, entries); }), 76);
    }

    void nonUtf8NamesAreListedAndReachable()
    {
        const QByteArray dir = at("bytes");
        QCOMPARE(::mkdir(dir.constData(), 0755), 0);
        const QByteArray name("caf\xe9\xff.txt");
        makeFile(dir + '/' + name, 12);
        FolderEntries entries;
        systemFolderLister().list(dir, entries);
        QCOMPARE(entries.files, std::vector<QByteArray>{name});
        const QString shown = FolderLister::displayName(name);
        QVERIFY(shown.startsWith(QStringLiteral("caf")) && shown.endsWith(QStringLiteral(".txt")));
        QVERIFY(shown.contains(QChar(QChar::ReplacementCharacter)));
        const FileMetadata metadata =
            systemFileMetadataReader().read(FolderLister::childPath(dir, name));
        QCOMPARE(metadata.size, 12);
        ::unlink(FolderLister::childPath(dir, name).constData()); // QDir cannot name it
    }

    void creationTimeFallsBackToLastWrite_data()
    {
        QTest::addColumn<bool>("reported");
        QTest::addColumn<qint64>("birth");
        QTest::addColumn<qint64>("created");
        QTest::newRow("birth time kept") << true << qint64(500) << qint64(500);
        QTest::newRow("not kept") << false << qint64(500) << qint64(900);
        QTest::newRow("kept as zero") << true << qint64(0) << qint64(900);
    }
    void creationTimeFallsBackToLastWrite()
    {
        QFETCH(bool, reported);
        QFETCH(qint64, birth);
        QFETCH(qint64, created);
        struct statx st = {};
        st.stx_mask = STATX_SIZE | STATX_ATIME | STATX_MTIME | (reported ? STATX_BTIME : 0);
        st.stx_btime.tv_sec = birth;
        st.stx_mtime.tv_sec = 900;
        QCOMPARE(FileMetadataReader::fromStatx(st).created.seconds, created);
    }

    void missingFileIsFileNotFound()
    {
        QCOMPARE(errorNumber([&] { systemFileMetadataReader().read(at("none")); }), 53);
        // Days before 1970 are the days they fall on.
        QCOMPARE((FileTime{-1, 0}.utcDate()), QDate(1969, 12, 31));
    }
};

QTEST_GUILESS_MAIN(TestFolderLister)
#include "tst_folderlister.moc"
