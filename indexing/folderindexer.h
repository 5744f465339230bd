#pragma once

#include <QByteArray>
#include <QChar>
#include <QSet>
#include <QString>

#include <memory>

class Catalogue;
class colFFiles;
class FileMetadataReader;
class FolderLister;
class FolderLookup;
class IndexingReport;
class MousePointer;
class VolumeQuery;

// Catalogues a folder tree: one row of table Files per file, through rsFiles, and one record in
// colIndexed per row. Sub-folders come first, each whole tree before the next, then the folder's
// own files. A file is skipped when the table already has a row with its folder, name, label and
// serial (asked once per folder, through an index); the folder's place below another mount point
// recorded for the same medium counts as its folder. Every error ends only the folder it happened
// in, reported through the IndexingReport.
class FolderIndexer
{
public:
    FolderIndexer(Catalogue &catalogue, colFFiles &colIndexed, MousePointer &pointer,
                  IndexingReport &report, VolumeQuery &volumes, FolderLister &lister,
                  FileMetadataReader &metadata);
    ~FolderIndexer();
    FolderIndexer(const FolderIndexer &) = delete;
    FolderIndexer &operator=(const FolderIndexer &) = delete;

    // Never raises. An empty path does nothing at all; a relative path is taken against the
    // current folder.
    void IndexFolder(const QString &path);

    // "#,###": digits grouped by three with separator; 0 gives the empty text.
    static QString formatSize(qint64 size, QChar separator);

private:
    // The names already catalogued in one folder for one disc identity.
    struct Catalogued
    {
        bool loaded = false;
        QString label;
        QString serial;
        QSet<QByteArray> files; // the names' bytes
    };

    // One folder's invocation. folder is empty for the typed path, which is resolved first;
    // queryPath is the path the volume query is handed for this folder's files.
    void indexFolder(const QString &path, const QByteArray &folder, const QString &queryPath);
    void catalogueFile(const QString &folderPath, const QByteArray &folder, const QByteArray &name,
                       const QString &queryPath, QString &label, QString &serial,
                       Catalogued &catalogued);
    void loadCatalogued(const QString &folderPath, const QByteArray &folder, const QString &label,
                        const QString &serial, Catalogued &catalogued);

    Catalogue &m_catalogue;
    colFFiles &m_colIndexed;
    MousePointer &m_pointer;
    IndexingReport &m_report;
    VolumeQuery &m_volumes;
    FolderLister &m_lister;
    FileMetadataReader &m_metadata;

    QChar m_separator;
    int m_depth = 0;
    std::unique_ptr<FolderLookup> m_lookup; // one per run
};
