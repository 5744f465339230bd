#pragma once

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QString>

#include <utility>
#include <vector>

// What Find looks for: words separated by blanks, all of which must hold.
//   word, "two words"       the file name contains it (folded by the one rule, casefold.h)
//   -TERM                   any term turned round: rows for which it holds are left out
//   folder:TEXT             the folder (Path) contains TEXT
//   disc:TEXT               the label contains TEXT, or the serial text equals it
//   note:TEXT               the note kept on the file's disc contains TEXT (resolveNotes())
//   type:jpg,png            the name ends with one of these extensions
//   size:>10MB  size:<1GB  size:100KB..2MB  size:0   (B, KB, MB, GB, TB; 1 KB = 1,024 bytes)
//   modified:2019  modified:2019-03  modified:2001..2005-06  modified:>2020-05-01
//   created: and accessed: alike; bounds are whole years, months or days, inclusive.
// Reading a query is a pure function of its text: it gives the terms, or the reason it cannot
// be read ("\"10XB\" is not a size").
class FindQuery
{
public:
    enum Field { Name, Folder, Disc, Type, Size, Created, Accessed, Modified, Note };

    struct Term
    {
        Field field = Name;
        bool exclude = false;
        // Name, Folder, Disc: one folded text (UTF-8). Type: the folded endings (".jpg").
        std::vector<QByteArray> texts;
        // Note: the media (label, serial text) whose note contains the text.
        std::vector<std::pair<QByteArray, QByteArray>> media;
        // Size: bytes; dates: days as StoredDate::day() numbers them. Both inclusive.
        qint64 low = 0;
        qint64 high = 0;
    };

    static FindQuery parse(const QString &text);

    bool isValid() const { return m_reason.isEmpty(); }
    // Why the text cannot be read; empty when it can.
    const QString &reason() const { return m_reason; }
    const std::vector<Term> &terms() const { return m_terms; }
    // The notes kept on the media, by label and serial text, that note: terms look in.
    void resolveNotes(const QHash<QPair<QByteArray, QByteArray>, QString> &notes);
    bool readsNotes() const;

    // The text it was read from, blanks at its ends left out.
    const QString &text() const { return m_text; }

private:
    QString m_text;
    std::vector<Term> m_terms;
    QString m_reason;
};
