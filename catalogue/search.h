#pragma once

#include <QString>
#include <QVariantList>

class Workspace;

// The search button's captions: the view the list shows.
extern const QString SearchCaption;  // "&Search": the full view
extern const QString ShowAllCaption; // "&Show All": the search view

// A search source for rsFiles: the statement and the values bound to its placeholders.
struct SearchStatement
{
    QString source;
    QVariantList params;
};

// Every row whose File contains text (% and _ keep their pattern meaning, case ignored for all
// letters), ordered by File without regard to case. indexedUpTo is the name index's mark, or
// -1 without an index; with one, the index narrows the rows when the text allows it.
SearchStatement searchStatement(const QString &text, qint64 indexedUpTo);

// The search button: from the full view asks for a text and shows the matching rows; from the
// search view, or when nothing matches, brings the full view back. caption is the button's
// caption, read and set. A failing search reports the error and brings the full view back.
void cmdSearch_Click(Workspace &workspace, QString &caption);
