#pragma once

#include "window/disc.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

// The Discs window's lines as a table model: Label, Serial, Files, Size, Catalogued, Mounted At,
// Note (edited in place through the function given, which keeps it).
// Sorted by value (Files and Size by number, Catalogued by time, texts without regard to case);
// the order is kept when the lines are given again.
class DiscsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Label, Serial, Files, Size, Catalogued, MountedAt, Note };
    static constexpr int ColumnCount = 7;
    // Keeps a disc's new note; false when it could not (and has said so).
    using KeepNote = std::function<bool(const Disc &disc, const QString &note)>;

    explicit DiscsModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    void setKeepNote(KeepNote keep) { m_keepNote = std::move(keep); }

    // Replaces every line, in one model reset.
    void setDiscs(std::vector<Disc> discs);
    const Disc &disc(int row) const { return m_discs[size_t(row)]; }
    // The cell as shown; blank where there is nothing to say.
    QString text(int row, int column) const;
    // The catalogue's discs, files and bytes in one line.
    QString totals() const;

private:
    void applySort();

    std::vector<Disc> m_discs;
    int m_sortColumn = Label;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_dateTimeFormat;
    KeepNote m_keepNote;
};
