#include "window/frmmain.h"

#include "app/frmabout.h"
#include "catalogue/removal.h"
#include "catalogue/search.h"
#include "indexing/errorboxreport.h"
#include "indexing/folderindexer.h"
#include "indexing/indexcommand.h"
#include "platform/app.h"
#include "platform/shellexecute.h"
#include "platform/twips.h"
#include "window/cataloguelistmodel.h"
#include "window/launcher.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>

#include <cstdlib>

namespace {
QRect pixels(const TwipRect &r)
{
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}
} // namespace

frmMain::frmMain(QWidget *parent)
    : QWidget(parent), m_workspace(*this), m_endProcess([] { std::_Exit(0); }),
      m_shell(&systemShell())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(App::Title());

    // A table in report form: one line per file, whole rows selected. Its row heights are all
    // the same, so a million rows cost no more to lay out than a thousand.
    m_lvwFiles = new QTableView(this);
    m_lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
    m_lvwFiles->setShowGrid(false);
    m_lvwFiles->setWordWrap(false);
    m_lvwFiles->setCornerButtonEnabled(false);
    m_lvwFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvwFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwFiles->setTextElideMode(Qt::ElideRight);
    m_lvwFiles->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView *rows = m_lvwFiles->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    m_lvwFiles->setModel(m_workspace.lvwFiles.model());
    m_lvwFiles->setSelectionModel(m_workspace.lvwFiles.selectionModel());
    QHeaderView *header = m_lvwFiles->horizontalHeader();
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The ID travels with every row but is not shown.
    m_lvwFiles->setColumnWidth(CatalogueListModel::ID, 0);
    for (int c = CatalogueListModel::Path; c < CatalogueListModel::ColumnCount; ++c)
        m_lvwFiles->setColumnWidth(c, twipsToPixels(1440));
    // Keys and double-clicks are seen on their way to the list, which still gets them.
    m_lvwFiles->installEventFilter(this);
    m_lvwFiles->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int section) { lvwFiles_ColumnClick(section + 1); });

    m_cmdExit = makeButton("cmdExit", QStringLiteral("E&xit"));
    m_cmdAbout = makeButton("cmdAbout", QStringLiteral("&About"));
    m_cmdExecuteFile = makeButton("cmdExecuteFile", QStringLiteral("Exe&cute File"));
    m_cmdIndexDirectory = makeButton("cmdIndexDirectory", QStringLiteral("&Index Directory"));
    m_cmdRemove = makeButton("cmdRemove", QStringLiteral("&Remove"));
    m_cmdSearch = makeButton("cmdSearch", QStringLiteral("&Search"));
    connect(m_cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(m_cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(m_cmdExecuteFile, &QPushButton::clicked, this, &frmMain::cmdExecuteFile_Click);
    connect(m_cmdIndexDirectory, &QPushButton::clicked, this, &frmMain::cmdIndexDirectory_Click);
    connect(m_cmdRemove, &QPushButton::clicked, this, &frmMain::cmdRemove_Click);
    connect(m_cmdSearch, &QPushButton::clicked, this, &frmMain::cmdSearch_Click);

    // Tab order as designed: the list first, so it has the focus when the window opens.
    QWidget::setTabOrder(m_lvwFiles, m_cmdExit);
    QWidget::setTabOrder(m_cmdExit, m_cmdAbout);
    QWidget::setTabOrder(m_cmdAbout, m_cmdExecuteFile);
    QWidget::setTabOrder(m_cmdExecuteFile, m_cmdIndexDirectory);
    QWidget::setTabOrder(m_cmdIndexDirectory, m_cmdRemove);
    QWidget::setTabOrder(m_cmdRemove, m_cmdSearch);
    m_lvwFiles->setFocus();

    applyLayout();
    resize(twipsToPixels(10575), twipsToPixels(4500));
}

frmMain::~frmMain() = default;

QPushButton *frmMain::makeButton(const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false); // no default button: Enter reaches the focused control
    return button;
}

void frmMain::Form_Load()
{
    m_workspace.Form_Load();
}

void frmMain::RefreshLv()
{
    m_workspace.RefreshLv();
}

void frmMain::setMousePointer(int shape)
{
    m_pointer = shape;
    if (shape == vbHourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void frmMain::lvwFiles_ColumnClick(int index)
{
    CatalogueList &list = m_workspace.lvwFiles;
    const int order = list.sortOrder() == 0 ? 1 : 0;
    list.sortBy(index - 1, order);
    m_lvwFiles->horizontalHeader()->setSortIndicatorShown(true);
    m_lvwFiles->horizontalHeader()->setSortIndicator(index - 1, order == 0 ? Qt::AscendingOrder
                                                                           : Qt::DescendingOrder);
}

void frmMain::cmdIndexDirectory_Click()
{
    ErrorBoxReport report;
    FolderIndexer indexer(m_workspace.cnCatalogue, m_workspace.colIndexed, m_workspace.pointer,
                          report);
    IndexCommand(m_workspace, indexer).cmdIndexDirectory_Click();
}

void frmMain::cmdSearch_Click()
{
    // The caption is the view state.
    QString caption = m_cmdSearch->text();
    ::cmdSearch_Click(m_workspace, caption);
    m_cmdSearch->setText(caption);
}

void frmMain::cmdExecuteFile_Click()
{
    Launcher(m_workspace.lvwFiles, *this, *m_shell, [this] {
        cmdRemove_Click();
    }).cmdExecuteFile_Click();
}

void frmMain::OpenFile(QString file)
{
    Launcher(m_workspace.lvwFiles, *this, *m_shell, [this] { cmdRemove_Click(); }).OpenFile(file);
}

void frmMain::cmdRemove_Click()
{
    ::cmdRemove_Click(m_workspace);
}

void frmMain::lvwFiles_DblClick()
{
    cmdExecuteFile_Click();
}

void frmMain::lvwFiles_KeyDown(int keyCode, int shift)
{
    Launcher(m_workspace.lvwFiles, *this, *m_shell, [this] {
        cmdRemove_Click();
    }).lvwFiles_KeyDown(keyCode, shift);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lvwFiles && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        int keyCode = 0;
        if (key->key() == Qt::Key_Backspace)
            keyCode = 8;
        else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            keyCode = 13;
        else if (key->key() < 0x80)
            keyCode = key->key(); // letters and digits carry the same codes
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        const int shift = (modifiers & Qt::ShiftModifier ? 1 : 0) |
                          (modifiers & Qt::ControlModifier ? 2 : 0) |
                          (modifiers & Qt::AltModifier ? 4 : 0);
        lvwFiles_KeyDown(keyCode, shift);
    } else if (watched == m_lvwFiles->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // Wherever it lands: the command acts on the selected item.
        lvwFiles_DblClick();
    }
    return QWidget::eventFilter(watched, event); // the list still gets the event
}

void frmMain::cmdAbout_Click()
{
    // A fresh about box each time, centred over this window; returns when it has closed.
    frmAbout about(this);
    about.exec();
}

void frmMain::cmdExit_Click()
{
    m_endProcess();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A minimised window has no client area; restoring it lays it out again.
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::Form_Resize()
{
    if (isMinimized())
        m_layout.Form_Resize(0.0f, 0.0f);
    else
        m_layout.Form_Resize(float(pixelsToTwips(width())), float(pixelsToTwips(height())));
    applyLayout();
}

void frmMain::applyLayout()
{
    m_lvwFiles->setGeometry(pixels(m_layout.lvwFiles));
    m_cmdExit->setGeometry(pixels(m_layout.cmdExit));
    m_cmdAbout->setGeometry(pixels(m_layout.cmdAbout));
    m_cmdExecuteFile->setGeometry(pixels(m_layout.cmdExecuteFile));
    m_cmdIndexDirectory->setGeometry(pixels(m_layout.cmdIndexDirectory));
    m_cmdRemove->setGeometry(pixels(m_layout.cmdRemove));
    m_cmdSearch->setGeometry(pixels(m_layout.cmdSearch));
}
