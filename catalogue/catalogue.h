#pragma once

#include "catalogue/archivemembers.h"
#include "catalogue/media.h"
#include "catalogue/mediumroots.h"
#include "catalogue/mediumrows.h"
#include "catalogue/removedrows.h"
#include "catalogue/rowkey.h"
#include "platform/connection.h"
#include "platform/recordset.h"

#include <QString>

#include <optional>
#include <vector>

// The catalogue file, the one way into it: the one connection cnCatalogue and the one recordset
// rsFiles, the file's schema upgrades, the statements of the search and the removals, and the
// few objects it hands out over its connection (its media, a medium's rows, where media were
// mounted). Shows nothing: failures raise PlatformError with the engine's number and
// description.
class Catalogue
{
public:
    Catalogue();
    ~Catalogue();
    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    // Opens the catalogue file at path as the main window's load does: the provider, the file,
    // the parts an older catalogue lacks (where the file can be written), then rsFiles on the
    // table. The file is never created.
    void open(const QString &path);

    // For the catalogue's own parts, and for tests that reach the engine beside the program.
    Connection &cnCatalogue() { return m_cnCatalogue; }
    // The file open, as open was given it; a run on another thread opens it again.
    const QString &path() const { return m_path; }
    bool isOpen() const { return m_cnCatalogue.isOpen(); }
    // Opened for browsing only (read-only media or folder), or found damaged: nothing is written.
    bool isReadOnly() const { return m_cnCatalogue.isReadOnly(); }
    bool isDamaged() const { return m_cnCatalogue.isDamaged(); }
    // The engine's answer that showed the file damaged, with the damage sentence.
    PlatformError damage() const { return m_cnCatalogue.damage(); }
    // Takes up the write-ahead log before another connection (a run's) writes, so that the two
    // share it from the first row on. Raises the damage of a damaged file.
    void beginWrite() { m_cnCatalogue.beginWrite(); }
    // Changes whenever rows may have changed since: written here or by another program.
    QPair<qint64, qint64> changeStamp() { return m_cnCatalogue.changeStamp(); }

    // The catalogue's media: their totals, folders, notes and when each was catalogued.
    Media &media() { return m_media; }
    // The rows of one medium below a root.
    MediumRows &mediumRows() { return m_mediumRows; }
    // Where each medium was mounted when folders of it were catalogued.
    MediumRoots &mediumRoots() { return m_mediumRoots; }
    // Where the member of an archive with this ID lies. Raises PlatformError.
    std::optional<ArchiveMembers::Place> memberPlace(qint64 id)
    {
        return ArchiveMembers::place(m_cnCatalogue, id);
    }

    // Runs rsFiles' source again and hands every row to sink (Requery). The members of
    // archives the view holds (all of them, those of the search's names, those of the medium)
    // follow the rows, to members when given.
    void requery(RowSink *sink, MemberSink *members = nullptr);
    // The whole catalogue read in pieces, as a read on several threads divides it: the rows of
    // Files with an ID above above and up to upTo, in ID order; then every member of archives,
    // which ends the read. rsFiles stays as it was.
    void requeryIds(qint64 above, qint64 upTo, RowSink *sink);
    void requeryMembers(MemberSink *members);
    // The lowest and highest ID of Files; (0, 0) when it is empty.
    QPair<qint64, qint64> idSpan();

    // The two views of the catalogue. Each opens rsFiles again; the search view holds every row
    // whose File contains text (% and _ keep their pattern meaning, case is ignored), ordered by
    // File without regard to case.
    void closeView();
    void openSearchView(const QString &text);
    // The same view, where the names of the rows up to ID heldUpTo were read and found in the
    // rows of ids: only those, the rows written past them and the rows renamed since are read.
    void openSearchView(const QString &text, const std::vector<qint64> &ids, qint64 heldUpTo);
    void openFullView();
    // Whether rsFiles is open on the whole table.
    bool isFullView() const;
    // Whether the view open holds no row at all, read only up to its first row.
    bool isViewEmpty() { return m_rsFiles.isEmpty(); }
    // The duplicates view (duplicates.h), opened as the search view is.
    void openDuplicatesView();
    // The rows of one medium (media.h), opened as the search view is.
    void openMediumView(const QString &label, const QString &serial);
    // The rows of one medium at and below one of its folders, opened as the search view is.
    void openFolderView(const QString &label, const QString &serial, const QString &folder);

    // Copies what the write-ahead log holds into data.mdb, so that the file alone is the whole
    // catalogue; after every indexing run.
    void fold();
    // The end of the run: rsFiles closed, the log folded and the file left in the plain
    // rollback-journal mode when no other instance has it open. Raises PlatformError when the
    // log could not be folded: the file and its log, left as they are, hold the catalogue
    // together, and the next open folds them once it has read the file whole.
    void close();

    // Deletes the records of these rows, in one transaction: all of them, or on a failure
    // none. A file's row is deleted when the current view holds it (its archive's members with
    // it); a member's record alone. What was deleted is kept for undoRemoval().
    void remove(const std::vector<RowKey> &rows);
    // Removes every row of one medium and when it was catalogued, in one transaction (see
    // Media::remove), kept as remove() keeps its rows. Returns the rows removed.
    qint64 removeMedium(const QString &label, const QString &serial,
                        const std::optional<std::vector<qint64>> &ids = std::nullopt);
    // How many rows the whole catalogue's list holds (files and members of archives), whatever
    // the view. Raises PlatformError.
    qint64 fileCount();
    // The rows the last removal took out (0 when none can be put back), and putting them back
    // with their IDs and every field, all in one transaction. Raises PlatformError.
    qint64 removedCount() const { return m_removed.count(); }
    qint64 removals() const { return m_removed.removals(); }
    qint64 undoRemoval() { return m_removed.putBack(); }

private:
    void upgrade();

    Connection m_cnCatalogue;
    Recordset m_rsFiles;
    Recordset m_rsPiece; // requeryIds' ranges
    Media m_media{m_cnCatalogue};
    MediumRows m_mediumRows{m_cnCatalogue};
    bool m_hasNameNotes = false; // FilesNameChanged and its triggers: renamed rows are noted
    MediumRoots m_mediumRoots{m_cnCatalogue};
    QString m_path;
    ArchiveMembers::View m_members; // of the view open
    RemovedRows m_removed{m_cnCatalogue};
};
