#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct sqlite3;

class CatalogueList;
class QTableView;

// Makes catalogues for tests from the project's schema, and reads them back directly.
namespace TestCatalogue {

// Creates dir/data.mdb (or the given file) with the empty table; returns its path.
QString create(const QString &dir, const QString &fileName = QStringLiteral("data.mdb"));
// Runs SQL on the file through a connection of its own.
void exec(const QString &file, const QString &sql);
// One text per row: the named fields joined by "|", in ID order.
QStringList rows(const QString &file, const QString &fields = QStringLiteral("File"));
// One text per row of any statement, its cells joined by "|".
QStringList query(const QString &file, const QString &sql);

// The first cell a statement gives ("PRAGMA integrity_check", "SELECT count(*) ..."); a null
// text when it gives none.
QString value(const QString &file, const QString &sql);

// Adds rows 1..n: Path /disc, File file<n>.txt, Size MARK<n>; (a text found in no index).
void fill(const QString &file, int n);
// Adds one row that is left in the log beside the file, with the log's index, as a process that
// was killed leaves them.
void leaveInLog(const QString &file);
// Writes noise over the page of the file that holds the bytes marker, as a failing disc or a
// stray write would; the page size is read from the file's header.
void damagePageOf(const QString &file, const QByteArray &marker);
// The file's bytes; empty when it cannot be read.
QByteArray content(const QString &file);

// The list's cells of one sub-item (2: File), top to bottom, as the list shows them.
QStringList listed(const CatalogueList &list, int subItem = 2);
QStringList listed(const QTableView *view, int column = 2);
// Selects a row as a click would (the focused row), or adds one to the selection as Ctrl+click.
void select(const CatalogueList &list, int row, bool add = false);

} // namespace TestCatalogue

// folder seen again read-only at another place, as read-only media are (a bind mount: root
// ignores the mode bits). isMounted() is false when this system cannot make one.
class ReadOnlyMount
{
public:
    explicit ReadOnlyMount(const QString &folder);
    ~ReadOnlyMount();
    bool isMounted() const { return m_mounted; }
    QString path() const { return m_point.path(); }

private:
    QTemporaryDir m_point;
    bool m_mounted = false;
};

// A catalogue of a test's own in a temporary folder; the test writes to it through a second
// connection.
class CatalogueFixture
{
public:
    CatalogueFixture();
    ~CatalogueFixture();
    // A null file gives a row without a name.
    void addRow(const QString &path, const QString &file,
                const QString &archive = QStringLiteral("DISC"));
    void exec(const QString &sql); // fails the test on an engine error
    QStringList files() const { return TestCatalogue::rows(m_dir.filePath("data.mdb")); }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    sqlite3 *m_db;
};
