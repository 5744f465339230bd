#pragma once

#include "catalogue/foldertree.h"
#include "window/discs/disc.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <vector>

// The Discs window's lines as a tree model: one line per disc (Label, Serial, Files, Size,
// Catalogued, Mounted At, Note), each catalogued disc expanding into its folders, which show
// their name and the files and bytes at and below them. A disc's folders are read only when it
// is first expanded. Discs are sorted by value (Files and Size by number, Catalogued by time,
// texts without regard to case), the order kept when the lines are given again; folders are in
// name order. The Note is edited in place through the function given, which keeps it.
class DiscsModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Column { Label, Serial, Files, Members, Size, Catalogued, MountedAt, Note };
    static constexpr int ColumnCount = 8;
    // Keeps a disc's new note; false when it could not (and has said so).
    using KeepNote = std::function<bool(const Disc &disc, const QString &note)>;
    // A disc's folders; an empty tree when they cannot be read (and it has said so).
    using ReadFolders = std::function<std::unique_ptr<FolderTree>(const Disc &disc)>;
    using Folder = FolderTree::Folder;

    explicit DiscsModel(QObject *parent = nullptr);
    ~DiscsModel() override;

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    void setKeepNote(KeepNote keep) { m_keepNote = std::move(keep); }
    // Notes are edited in place only while the catalogue may be written.
    void setNotesWritable(bool writable) { m_notesWritable = writable; }
    void setReadFolders(ReadFolders read) { m_readFolders = std::move(read); }

    // Replaces every line, in one model reset; the folders read go with them.
    void setDiscs(std::vector<Disc> discs);
    const Disc &disc(int row) const { return m_lines[size_t(row)].disc; }
    // The disc line of any index: its own, or that of the disc a folder is on.
    int discLine(const QModelIndex &index) const;
    // The folder a line shows; null for a disc's line.
    const Folder *folder(const QModelIndex &index) const;
    // The line of a disc's folder, by its path; invalid when its folders are not read or it has
    // none such.
    QModelIndex folderIndex(int line, const QByteArray &path) const;
    // The disc line's cell as shown; blank where there is nothing to say.
    QString text(int row, int column) const;
    // Any line's cell as shown.
    QString text(const QModelIndex &index) const;
    // The catalogue's discs, files and bytes in one line.
    QString totals() const;

private:
    struct Line
    {
        Disc disc;
        std::unique_ptr<FolderTree> folders; // null until first expanded
    };
    // Sorts the lines; gives the line each new line was.
    std::vector<size_t> applySort();

    std::vector<Line> m_lines;
    int m_sortColumn = Label;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_dateTimeFormat;
    KeepNote m_keepNote;
    bool m_notesWritable = true;
    ReadFolders m_readFolders;
};
