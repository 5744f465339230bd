#pragma once

#include "window/discs/disc.h"
#include "window/discs/discsmodel.h"

#include <QDialog>

#include <functional>

class Discs;
class QLabel;
class QTimer;
class QPushButton;
class QModelIndex;
class QTreeView;

// The Discs window: one line per medium of the catalogue and per medium mounted now that it
// holds nothing of, each catalogued one expanding into its folders (Right or +, Left or - closes)
// (each with its note, edited in place by F2 or a double-click on it), a line of totals, and the
// buttons Show Files (Enter, double-click), Index, Update, Remove Disc (Delete), Copy (Ctrl+C) and
// Close (Esc). Not modal; it follows every refill of the main list.
class frmDiscs : public QDialog
{
    Q_OBJECT
public:
    // index runs the Index Directory command on a folder, update the Update of a medium (false
    // when it is not mounted), their progress over this window.
    using Update = std::function<bool(const QString &label, const QString &serial, QWidget *owner)>;
    frmDiscs(Discs &discs, std::function<void(const QString &root, QWidget *owner)> index,
             Update update, QWidget *parent = nullptr);

    // Lists the discs again, keeping the selected ones selected.
    void refresh();
    // The mount table changed: the lines follow it shortly (a burst of changes counts once).
    void mountsChanged();

    DiscsModel &model() { return m_model; }
    // Index, Update and Remove Disc stay disabled, with refusal as their tooltip, while refusal
    // says why they cannot write; the empty text allows them again.
    void setWritable(const QString &refusal);
    // Keeps its size and place and its columns for the next time it is made.
    void saveLayout() const;

public Q_SLOTS:
    void cmdShowFiles_Click();
    void cmdIndex_Click();
    void cmdUpdate_Click();
    void cmdRemoveDisc_Click();
    void cmdCopy_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The focused line when it is selected, else the first selected; invalid when none is.
    QModelIndex selectedIndex() const;
    // The disc line selected; -1 when none is, or a folder is.
    int selectedLine() const;
    // The key a line is found by again after the lines are given again.
    QString key(const QModelIndex &index) const;
    QModelIndex find(const QString &key);
    void updateButtons();
    // Edits the selected line's note in place.
    void editNote();

    Discs &m_discs;
    std::function<void(const QString &, QWidget *)> m_index;
    Update m_update;
    DiscsModel m_model;
    QString m_refusal;
    QTimer *m_mounts;

    QTreeView *lvwDiscs;
    QLabel *lblTotals;
    QPushButton *cmdShowFiles;
    QPushButton *cmdIndex;
    QPushButton *cmdUpdate;
    QPushButton *cmdRemoveDisc;
    QPushButton *cmdCopy;
    QPushButton *cmdClose;
};
