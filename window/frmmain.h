#pragma once

#include "catalogue/catalogue.h"
#include "indexing/colffiles.h"
#include "window/cataloguelist.h"
#include "window/copypathcommand.h"
#include "window/duplicatescommand.h"
#include "window/exportcommand.h"
#include "window/indexcommand.h"
#include "window/launcher.h"
#include "window/listmenu.h"
#include "window/mainlayout.h"
#include "window/removecommand.h"
#include "window/searchcommand.h"
#include "window/services.h"
#include "window/windowpointer.h"

#include <QWidget>

class QPushButton;
class QTableView;

// The main window: six command buttons on the left, the catalogue list on the right. It holds
// the catalogue, the list and colIndexed for its whole life.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    explicit frmMain(const Services &services = Services::system(), QWidget *parent = nullptr);
    ~frmMain() override;

    // Opens the catalogue and fills the list; raises PlatformError when it cannot be opened.
    void Form_Load();
    void RefreshLv();

    int mousePointer() const { return m_pointer.mousePointer(); }
    Catalogue &catalogue() { return m_catalogue; }
    CatalogueList &list() { return m_list; }

    void lvwFiles_ColumnClick(int index);
    void lvwFiles_DblClick();
    // Backspace (8) removes and Enter (13) launches, whatever modifier keys are held; the list
    // still gets the key.
    void lvwFiles_KeyDown(int keyCode);

public Q_SLOTS:
    void cmdIndexDirectory_Click();
    void cmdSearch_Click();
    void cmdExecuteFile_Click();
    void cmdRemove_Click();
    void cmdAbout_Click();
    void cmdExit_Click();
    // The list's context menu.
    void mnuOpenFolder_Click();
    void mnuCopyPath_Click();
    void mnuExportList_Click();
    void mnuShowDuplicates_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    // During an index run the run is stopped first, and the window closes when it has.
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Resize();
    void applyLayout();
    QPushButton *makeButton(const char *name, const QString &caption);
    void lvwFiles_ContextMenu(QPoint globalPos);

    Services m_services;
    WindowPointer m_pointer{this};
    Catalogue m_catalogue;
    CatalogueList m_list{m_catalogue, m_pointer};
    colFFiles m_colIndexed;
    SearchCommand m_search{m_catalogue, m_list, m_pointer};
    RemoveCommand m_remove{m_catalogue, m_list, m_pointer};
    IndexCommand m_index;
    Launcher m_launcher;
    MainLayout m_layout;
    bool m_closeAfterRun = false;
    CopyPathCommand m_copyPath{m_list};
    DuplicatesCommand m_duplicates{m_catalogue, m_list, m_pointer, m_search};
    ExportCommand m_export;
    ListMenu m_listMenu{this};

    QTableView *lvwFiles;
    QPushButton *cmdExit;
    QPushButton *cmdAbout;
    QPushButton *cmdExecuteFile;
    QPushButton *cmdIndexDirectory;
    QPushButton *cmdRemove;
    QPushButton *cmdSearch;
};
