#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/platformerror.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void makeFile(const QByteArray &path)
{
    QVERIFY(QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly));
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
    QByteArray at(const char *name) const { return QFile::encodeName(m_dir.path()) + '/' + name; }

private Q_SLOTS:
    void entriesAreSortedAndLinksToFoldersSkipped()
    {
        const QByteArray tree = at("tree");
        QCOMPARE(::mkdir(tree.constData(), 0755), 0);
        for (const char *dir : {"b", "A", "_x"})
            QCOMPARE(::mkdir((tree + '/' + dir).constData(), 0755), 0);
        for (const char *file : {"z.txt", "a.txt", "B.txt", "\xc3\xa9.txt"})
            makeFile(tree + '/' + file);
        QCOMPARE(::symlink("b", (tree + "/linkdir").constData()), 0);
        FolderEntries entries;
        systemFolderLister().list(tree, entries);
        QCOMPARE(entries.subFolders, (std::vector<QByteArray>{"A", "_x", "b"}));
        QCOMPARE(entries.files,
                 (std::vector<QByteArray>{"B.txt", "a.txt", "z.txt", "\xc3\xa9.txt"}));
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
        QTest::newRow("relative") << "p/q" << base + "/p/q" << 0;
        QTest::newRow("missing") << base + "/nothing" << QString() << 76;
        QTest::newRow("a file") << base + "/file.txt" << QString() << 76;
        QTest::newRow("under a file") << base + "/file.txt/x" << QString() << 76;
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

    // Permission bits do not stop root, so listing fails here in other ways.
    void failures()
    {
        makeFile(at("plain"));
        FolderEntries entries;
        QCOMPARE(errorNumber([&] { systemFolderLister().list(at("vanished"), entries); }), 76);
        QCOMPARE(errorNumber([&] { systemFolderLister().list(at("plain"), entries); }), 76);
        QCOMPARE(errorNumber([&] { systemFileMetadataReader().read(at("none")); }), 53);
        QCOMPARE((FileTime{-1, 0}.utcDate()), QDate(1969, 12, 31)); // days before 1970
    }

    // The birth time where the filesystem keeps one (and not as zero), else the last write.
    void creationTimeFallsBackToLastWrite()
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
    }
};

QTEST_GUILESS_MAIN(TestFolderLister)
#include "tst_folderlister.moc"
