#pragma once

#include "catalogue/foldednames.h"
#include "catalogue/mediumroots.h"
#include "platform/connection.h"
#include "platform/recordset.h"

#include <QString>

#include <optional>

// The catalogue file: the one connection cnCatalogue and the one recordset rsFiles, the file's
// schema upgrades, and the statements of the search and the removal. Shows nothing: failures
// raise PlatformError with the engine's number and description.
class Catalogue
{
public:
    Catalogue();
    ~Catalogue();
    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    // Opens the catalogue file at path as the main window's load does: the provider, the file,
    // the parts an older catalogue lacks (where the file can be written), then rsFiles on the
    // table with optimistic locking. The file is never created.
    void open(const QString &path);

    Connection &cnCatalogue() { return m_cnCatalogue; }
    Recordset &rsFiles() { return m_rsFiles; }
    // Where each medium was mounted when folders of it were catalogued.
    MediumRoots &mediumRoots() { return m_mediumRoots; }

    // Runs rsFiles' source again and hands every row to sink (Requery). The first read of the
    // whole table also takes in every name, for the searches the name index cannot answer.
    void requery(RowSink *sink);

    // Takes the names of rows written since into the name index and into the names held in
    // memory, so that no search waits for them. The indexer calls it inside each group of rows
    // it writes, before the commit; the search calls it for rows other programs wrote. False
    // when the index cannot be written (a search then reads those rows itself).
    bool takeInNewNames();

    // The two views of the catalogue. Each opens rsFiles again with pessimistic locking; the
    // search view holds every row whose File contains text (% and _ keep their pattern meaning,
    // case is ignored), ordered by File without regard to case.
    void closeView();
    void openSearchView(const QString &text);
    void openFullView();
    // The duplicates view (duplicates.h), opened as the search view is; returns how many rows
    // it holds.
    qint64 openDuplicatesView();
    // The rows of one medium (media.h), opened as the search view is.
    void openMediumView(const QString &label, const QString &serial);

    // Brings the name index up to date with the rows added since it last was, so that the first
    // search need not. Called after the first full read of the table, which is where damage in
    // the middle of the file shows: a damaged file is not written.
    void catchUpNames();
    // Copies what the write-ahead log holds into data.mdb, so that the file alone is the whole
    // catalogue; after every indexing run.
    void fold();
    // The end of the run: rsFiles closed, the log folded and the file left in the plain
    // rollback-journal mode when no other instance has it open.
    void close();

    // Deletes the row with this ID if the current view holds it, committed at once; false when
    // there is no such row.
    bool remove(qint64 id);

private:
    bool searchNames(const QString &text);
    static void rolledBack(void *catalogue);

    Connection m_cnCatalogue;
    Recordset m_rsFiles;
    FoldedNames m_names;
    // Where the names stood before names were taken in inside a transaction not yet ended: a
    // rollback goes back there, as the engine may give the rolled-back IDs to other rows.
    std::optional<FoldedNames::Mark> m_beforeTransaction;
    MediumRoots m_mediumRoots;
};
