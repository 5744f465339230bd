#include "window/find/frmfind.h"

#include "window/boxes/messagebox.h"
#include "window/list/cataloguelist.h"
#include "window/list/cataloguelistmodel.h"
#include "window/main/readablesize.h"
#include "window/main/rememberedlayout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char HelpText[] = QT_TRANSLATE_NOOP(
    "frmFind",
    "Every word must hold: a word the name contains, \"two words\" for a phrase, -word to leave "
    "out names with it.\n"
    "folder:TEXT   disc:LABEL or serial   note:TEXT   type:jpg,png\n"
    "size:>10MB   size:<1GB   size:100KB..2MB   size:0   (B, KB, MB, GB, TB)\n"
    "modified:2019   modified:2019-03   modified:2001..2005-06   modified:>2020-05-01\n"
    "created: and accessed: alike.");

} // namespace

frmFind::frmFind(CatalogueList &list, Notes notes, QWidget *parent)
    : QDialog(parent), m_list(list), m_notes(std::move(notes)), m_counter(*list.model())
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(tr("Find"));
    setModal(false);

    txtQuery = new QLineEdit(this);
    txtQuery->setObjectName(QStringLiteral("txtQuery"));
    cmdFind = new QPushButton(tr("&Find"), this);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setDefault(true);
    lblCount = PlainLabel(this); // echoes what was typed
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblHelp = new QLabel(tr(HelpText), this);
    lblHelp->setObjectName(QStringLiteral("lblHelp"));
    lblHelp->setTextFormat(Qt::PlainText);

    auto *queryRow = new QHBoxLayout;
    queryRow->addWidget(txtQuery, 1);
    queryRow->addWidget(cmdFind);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(queryRow);
    layout->addWidget(lblCount);
    layout->addWidget(lblHelp);
    txtQuery->setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    RememberedLayout::restore(this, nullptr, QStringLiteral("find"));

    connect(txtQuery, &QLineEdit::textChanged, this, &frmFind::txtQuery_Change);
    connect(cmdFind, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connect(&m_counter, &FindCounter::counted, this,
            [this](qint64 files, qint64 bytes) { lblCount->setText(countText(files, bytes)); });
    // The rows changed (a removal, an index run, another view): the count follows them.
    connect(m_list.model(), &QAbstractItemModel::modelReset, this, [this] {
        if (isVisible())
            recount(false);
    });
}

void frmFind::showFind()
{
    const bool wasVisible = isVisible();
    show();
    raise();
    activateWindow();
    txtQuery->setFocus();
    txtQuery->selectAll();
    if (!wasVisible)
        recount(false);
}

QString frmFind::countText(qint64 files, qint64 bytes)
{
    const QLocale locale;
    return QStringLiteral("%1 %2, %3")
        .arg(locale.toString(files), files == 1 ? tr("file") : tr("files"), ReadableSize(bytes));
}

void frmFind::txtQuery_Change()
{
    recount(true);
}

void frmFind::recount(bool typed)
{
    const FindQuery query = this->query();
    if (!query.isValid()) {
        m_counter.stop();
        lblCount->setText(query.reason());
        return;
    }
    if (!m_list.holdsWholeCatalogue()) {
        m_counter.stop();
        lblCount->clear();
        // Typing a query is finding: the whole catalogue comes back into the list, and its
        // refill counts again.
        if (typed)
            Q_EMIT wholeCatalogueWanted();
        return;
    }
    m_counter.count(query);
}

void frmFind::cmdFind_Click()
{
    const FindQuery query = this->query();
    if (!query.isValid()) {
        lblCount->setText(query.reason());
        return;
    }
    Q_EMIT findRequested(query);
    txtQuery->setFocus();
}

FindQuery frmFind::query() const
{
    FindQuery query = FindQuery::parse(txtQuery->text());
    if (query.readsNotes() && m_notes)
        query.resolveNotes(m_notes());
    return query;
}

void frmFind::saveLayout() const
{
    RememberedLayout::save(this, nullptr, QStringLiteral("find"));
}

void frmFind::hideEvent(QHideEvent *event)
{
    saveLayout();
    m_counter.stop();
    QDialog::hideEvent(event);
}
