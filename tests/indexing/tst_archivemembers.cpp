#include "catalogue/catalogue.h"
#include "indexing/memberreader.h"
#include "support/indexingfixture.h"
#include "support/testcatalogue.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

namespace {

// The system's reader, counting the archives it opens.
struct CountingReader : ArchiveReader
{
    Outcome list(const QByteArray &path, const ArchiveLimits &limits,
                 std::vector<ArchiveMember> &members) override
    {
        opened.append(QFileInfo(QString::fromUtf8(path)).fileName());
        return systemArchiveReader().list(path, limits, members);
    }
    void extract(const QByteArray &, const QByteArray &, qint64, const QByteArray &,
                 const std::atomic<bool> *) override
    {}
    QStringList opened;
};

// A zip of these members (name=text), each modified on the given day, made by Python.
void makeZip(const QString &file, const QStringList &members, const QString &day)
{
    QString script =
        QStringLiteral("import zipfile,sys\nwith zipfile.ZipFile(sys.argv[1],'w') as z:\n");
    for (const QString &m : members)
        script += QStringLiteral("  z.writestr(zipfile.ZipInfo('%1',(%2,12,0,0)),'%3')\n")
                      .arg(m.section(QLatin1Char('='), 0, 0),
                           QDate::fromString(day, Qt::ISODate).toString(QStringLiteral("yyyy,M,d")),
                           m.section(QLatin1Char('='), 1));
    QDir().mkpath(QFileInfo(file).path());
    QCOMPARE(QProcess::execute(QStringLiteral("python3"), {QStringLiteral("-c"), script, file}), 0);
}

} // namespace

// The members of archives as indexing and Update record them, beside the archive's own row.
class TestArchiveMembers : public QObject
{
    Q_OBJECT

    static QStringList members(IndexingFixture &f)
    {
        return TestCatalogue::query(
            f.folder() + QStringLiteral("/data.mdb"),
            QStringLiteral(
                "SELECT f.File, m.Path, m.File, m.Size, m.Modified FROM ArchiveMembers m "
                "JOIN Files f ON f.ID = m.FileID ORDER BY m.ID"));
    }
    static int memberCount(IndexingFixture &f)
    {
        return TestCatalogue::value(f.folder() + QStringLiteral("/data.mdb"),
                                    QStringLiteral("SELECT count(*) FROM ArchiveMembers"))
            .toInt();
    }

private Q_SLOTS:
    void archivesAreLookedInto_data()
    {
        QTest::addColumn<bool>("lookInside");
        QTest::addColumn<QStringList>("members");
        QTest::addColumn<int>("unread");
        QTest::newRow("on")
            << true
            << QStringList{"photos-2019.zip|2019/june|Été à Zürich.jpg|4|2019-06-21",
                           "photos-2019.zip||readme|2|2019-06-21"}
            << 2;
        QTest::newRow("off") << false << QStringList() << 0;
    }
    void archivesAreLookedInto()
    {
        QFETCH(bool, lookInside);
        IndexingFixture f;
        makeZip(f.tree() + QStringLiteral("/backups/photos-2019.zip"),
                {QStringLiteral("2019/june/Été à Zürich.jpg=jpeg"), QStringLiteral("readme=hi")},
                QStringLiteral("2019-06-21"));
        // A zip cut short in the middle of its member, one encrypted, and one gzip of one file.
        QCOMPARE(QProcess::execute(
                     QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral(
                          "cd '%1' && head -c 4000 /dev/urandom > s && zip -q broken0.zip s && "
                          "head -c 2000 broken0.zip > broken.zip && zip -q -P pw locked.zip s && "
                          "rm s broken0.zip && echo text | gzip > notes.txt.gz")
                          .arg(f.tree())}),
                 0);

        MemberReader reader(systemArchiveReader(), lookInside, ArchiveLimits());
        f.indexer.setMemberReader(&reader);
        f.indexer.IndexFolder(f.tree());
        // Every file is a row of Files, archives that cannot be read too, and only files.
        QCOMPARE(f.rows(QStringLiteral("File")),
                 QStringList({"photos-2019.zip", "broken.zip", "locked.zip", "notes.txt.gz"}));
        QTEST(members(f), "members");
        QTEST(int(f.report.last.unreadArchives), "unread");
        QCOMPARE(f.report.last.members, qint64(members(f).size()));
        QVERIFY(f.report.failures.isEmpty()); // no box per archive
    }

    // Members are written several to a statement: every one of them, in the archive's order.
    void manyMembers()
    {
        IndexingFixture f;
        QStringList names, expected;
        for (int i = 0; i < 17; ++i) {
            names << QStringLiteral("d/m%1=x").arg(i);
            expected << QStringLiteral("many.zip|d|m%1|1|2001-01-01").arg(i);
        }
        makeZip(f.tree() + QStringLiteral("/many.zip"), names, QStringLiteral("2001-01-01"));
        MemberReader reader(systemArchiveReader(), true, ArchiveLimits());
        f.indexer.setMemberReader(&reader);
        f.indexer.IndexFolder(f.tree());
        QCOMPARE(members(f), expected);
    }

    // Update reads again the archives whose size or modification date changed, and only them;
    // an archive gone, or removed from the list, takes its members with it.
    void updateAndRemoval()
    {
        IndexingFixture f;
        const QString photos = f.tree() + QStringLiteral("/photos.zip");
        makeZip(photos, {QStringLiteral("a.jpg=1"), QStringLiteral("b.jpg=22")},
                QStringLiteral("2019-01-01"));
        makeZip(f.tree() + QStringLiteral("/same.zip"), {QStringLiteral("s.txt=s")},
                QStringLiteral("2000-01-01"));
        makeZip(f.tree() + QStringLiteral("/gone.zip"), {QStringLiteral("g.txt=g")},
                QStringLiteral("2000-01-01"));
        CountingReader counting;
        MemberReader reader(counting, true, ArchiveLimits());
        f.indexer.setMemberReader(&reader);
        f.indexer.IndexFolder(f.tree());
        QCOMPARE(memberCount(f), 4);
        const QString sameIds = TestCatalogue::value(
            f.folder() + QStringLiteral("/data.mdb"),
            QStringLiteral("SELECT group_concat(m.ID) FROM ArchiveMembers m JOIN Files f ON f.ID = "
                           "m.FileID WHERE f.File = 'same.zip'"));

        makeZip(photos, {QStringLiteral("c/new.jpg=333")}, QStringLiteral("2020-02-02"));
        QCOMPARE(QProcess::execute(QStringLiteral("touch"),
                                   {QStringLiteral("-d"), QStringLiteral("2021-03-04"), photos}),
                 0);
        QFile::remove(f.tree() + QStringLiteral("/gone.zip"));
        counting.opened.clear();
        f.indexer.UpdateMedium(f.tree(), QStringLiteral("DATA1"), QStringLiteral("1234-5678"));
        QCOMPARE(counting.opened, QStringList{"photos.zip"});
        QCOMPARE(members(f), QStringList({"same.zip||s.txt|1|2000-01-01",
                                          "photos.zip|c|new.jpg|3|2020-02-02"}));
        QCOMPARE(
            TestCatalogue::value(
                f.folder() + QStringLiteral("/data.mdb"),
                QStringLiteral("SELECT group_concat(m.ID) FROM ArchiveMembers m JOIN Files f ON "
                               "f.ID = m.FileID WHERE f.File = 'same.zip'")),
            sameIds);

        // Remove of the archive's row: its members go in the same transaction.
        Catalogue &catalogue = f.loaded.catalogue;
        catalogue.openFullView();
        const qint64 id =
            TestCatalogue::value(f.folder() + QStringLiteral("/data.mdb"),
                                 QStringLiteral("SELECT ID FROM Files WHERE File = 'photos.zip'"))
                .toLongLong();
        catalogue.remove({RowKey{RowKey::File, id}});
        QCOMPARE(members(f), QStringList({"same.zip||s.txt|1|2000-01-01"}));
    }
};

QTEST_GUILESS_MAIN(TestArchiveMembers)
#include "tst_archivemembers.moc"
