#include "catalogue/search.h"

#include "catalogue/errorbox.h"
#include "catalogue/searchindex.h"
#include "platform/dialogs.h"
#include "platform/mousepointer.h"
#include "platform/platformerror.h"
#include "window/workspace.h"

#include <sqlite3.h>

const QString SearchCaption = QStringLiteral("&Search");
const QString ShowAllCaption = QStringLiteral("&Show All");

SearchStatement searchStatement(const QString &text, qint64 indexedUpTo)
{
    // The text is bound, never pasted into the statement: a quote is just a character.
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    const QString query = indexedUpTo >= 0 ? SearchIndex::indexQuery(text) : QString();
    if (query.isEmpty())
        return {QStringLiteral("SELECT * FROM Files WHERE folded_like(File, ?) "
                               "ORDER BY File COLLATE FOLDED ASC"),
                {pattern}};
    // Candidates from the index, and the rows added since it was last brought up to date.
    return {QStringLiteral("SELECT * FROM Files WHERE ID IN (SELECT rowid FROM FilesName WHERE "
                           "FilesName MATCH ? UNION ALL SELECT ID FROM Files WHERE ID > ?) "
                           "AND folded_like(File, ?) ORDER BY File COLLATE FOLDED ASC"),
            {query, indexedUpTo, pattern}};
}

void cmdSearch_Click(Workspace &workspace, QString &caption)
{
    Recordset &rs = workspace.rsFiles;
    workspace.pointer.setMousePointer(vbHourglass);
    if (caption == SearchCaption) {
        try {
            if (rs.isOpen())
                rs.Close();
            const QString text =
                InputBox(QStringLiteral("Please enter the string you would like to search for:"));
            sqlite3 *db = workspace.cnCatalogue.handle();
            // A catalogue that cannot be written is still searched exactly, past the mark.
            SearchIndex::catchUp(db);
            const SearchStatement statement =
                searchStatement(text, SearchIndex::exists(db) ? SearchIndex::indexedUpTo(db) : -1);
            rs.Open(statement.source, &workspace.cnCatalogue, adOpenKeyset, adLockPessimistic, -1,
                    statement.params);
            if (rs.RecordCount() >= 1) {
                workspace.RefreshLv();
                caption = ShowAllCaption;
                return;
            }
            MsgBox(QStringLiteral("No results were found!"), vbOKOnly,
                   QStringLiteral("Search results"));
        } catch (const PlatformError &error) {
            ShowErrorBox(error.number(), error.description());
        }
    }

    // The full view: also where a failed search ends, so the catalogue is never left closed.
    try {
        if (rs.isOpen())
            rs.Close();
        rs.Open(QStringLiteral("Files"), &workspace.cnCatalogue, adOpenKeyset, adLockPessimistic);
    } catch (const PlatformError &error) {
        ShowErrorBox(error.number(), error.description());
    }
    caption = SearchCaption;
    workspace.pointer.setMousePointer(vbDefault);
    workspace.RefreshLv();
}
