#pragma once

#include <QStringList>
#include <QTemporaryDir>

struct sqlite3;

// A catalogue file of a test's own, made from the project's schema in a temporary folder that
// the program takes for its own (App::Path). Rows are written through a second connection.
class CatalogueFixture
{
public:
    CatalogueFixture();
    ~CatalogueFixture();

    // Adds a row; a null file gives a row without a name.
    void addRow(const QString &path, const QString &file,
                const QString &archive = QStringLiteral("DISC"));
    // Runs statements on the test's own connection; fails the test on an engine error.
    void exec(const QString &sql);
    // The File of every row, in ID order.
    QStringList files() const;

private:
    QTemporaryDir m_dir;
    sqlite3 *m_db = nullptr;
};
