#pragma once

#include <QString>
#include <QTemporaryDir>

struct sqlite3;

// A catalogue file of a test's own, made from the project's schema in a temporary folder that
// the program takes for its own (App::Path). Rows are written through a second connection.
class CatalogueFixture
{
public:
    CatalogueFixture();
    ~CatalogueFixture();

    QString folder() const { return m_dir.path(); }
    sqlite3 *db() const { return m_db; }

    // Adds a row; a null file gives a row without a name. Returns its ID.
    qint64 addRow(const QString &path, const QString &file,
                  const QString &archive = QStringLiteral("DISC"),
                  const QString &serial = QStringLiteral("1234-ABCD"));
    // Runs statements on the test's own connection; fails the test on an engine error.
    void exec(const QString &sql);

private:
    QTemporaryDir m_dir;
    sqlite3 *m_db = nullptr;
};
