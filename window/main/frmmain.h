#pragma once

#include "catalogue/catalogue.h"
#include "window/discs/discs.h"
#include "window/discs/newdiscoffer.h"
#include "window/list/cataloguelist.h"
#include "window/list/copypathcommand.h"
#include "window/list/duplicatescommand.h"
#include "window/list/exportcommand.h"
#include "window/list/launcher.h"
#include "window/list/listmenu.h"
#include "window/main/mainlayout.h"
#include "window/main/removecommand.h"
#include "window/main/searchcommand.h"
#include "window/main/services.h"
#include "window/main/statusline.h"
#include "window/runs/runcontroller.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class frmDiscs;
class FindQuery;
class frmFind;
class MountMonitor;
class QPushButton;
class FilesTable;

// The main window: six command buttons on the left, the catalogue list on the right. It holds
// the catalogue and the list for its whole life.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    explicit frmMain(const Services &services = Services::system(), QWidget *parent = nullptr);
    ~frmMain() override;

    // Opens the catalogue and fills the list; raises PlatformError when it cannot be opened.
    void Form_Load();

    Catalogue &catalogue() { return m_catalogue; }
    CatalogueList &list() { return m_list; }
    // The commands behind the buttons and the list's menu.
    SearchCommand &search() { return m_search; }
    Launcher &launcher() { return m_launcher; }
    ExportCommand &exportList() { return m_export; }
    DuplicatesCommand &duplicates() { return m_duplicates; }

    void lvwFiles_ColumnClick(int index);
    // Brings the rows of the medium with this label and serial text to what is on it now, the
    // progress window over owner (this window when none). False when it is not mounted.
    bool UpdateMedium(const QString &label, const QString &serial, QWidget *owner = nullptr);
    // A run has ended: the status line tells what it did until the next action. The run's
    // counts as its last progress gave them.
    void runEnded(const IndexingProgress &counts, bool update);
    // Whether a command is running: nothing else may start until it has ended.
    bool commandRunning() const;
    // Whether an indexing run or an Update goes on beside the window.
    bool runUnderWay() const { return m_runs.running(); }
    // Why the commands that write cannot be used now (a run under way, a catalogue that cannot
    // be written); the empty text when they can. The one rule for every window's such commands.
    QString writeRefusal() const;
    // Keeps the layout (this window's and the Discs and Find windows' when open) for the next
    // start: at Exit and when the window is closed.
    void saveLayout() const;

public Q_SLOTS:
    void cmdIndexDirectory_Click();
    void cmdRemove_Click();
    void cmdAbout_Click();
    // Also SIGTERM, SIGINT and SIGHUP. A run under way is stopped first, as Cancel stops it,
    // keeping its rows, and the program ends once it has.
    void cmdExit_Click();
    // Ctrl+Z and the menu's Undo Remove: the rows of the last removal come back.
    void mnuUndoRemove_Click();
    // Ctrl+D and the menu's Discs...: the Discs window, made once and raised when asked again.
    void mnuDiscs_Click();
    // Opens the Find window (one at a time), or brings it to the front.
    void mnuFind_Click();
    // Find's view: the list shows the rows of the whole catalogue that match query, and the
    // search button offers "&Show All".
    void showFound(const FindQuery &query);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    // During an index run the run is stopped first, and the window closes when it has.
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Resize();
    void applyLayout();
    // The Index Directory command's run on a folder, its progress window over owner.
    void indexFolder(const QString &path, QWidget *owner);
    // Enables the commands that write, or disables them with the reason in their tooltip.
    void updateCommands();

    Services m_services;
    Catalogue m_catalogue;
    CatalogueList m_list{m_catalogue};
    SearchCommand m_search{m_catalogue, m_list};
    RemoveCommand m_remove{m_catalogue, m_list};
    RunController m_runs;
    Launcher m_launcher;
    MainLayout m_layout;
    CopyPathCommand m_copyPath{m_list};
    DuplicatesCommand m_duplicates{m_list};
    ExportCommand m_export;
    ListMenu m_listMenu{this};
    Discs m_discs{m_catalogue, m_list, m_services.media};
    QPointer<frmDiscs> m_frmDiscs;
    std::unique_ptr<frmFind> m_find; // before the list it counts goes
    NewDiscOffer m_newDisc;
    std::unique_ptr<MountMonitor> m_mountMonitor; // from the load on, when discs are offered
    std::unique_ptr<MountMonitor> m_discsMonitor; // while the Discs window is open

    FilesTable *lvwFiles;
    QPushButton *cmdExit;
    QPushButton *cmdAbout;
    QPushButton *cmdExecuteFile;
    QPushButton *cmdIndexDirectory;
    QPushButton *cmdRemove;
    QPushButton *cmdSearch;
    StatusLine *lblStatus;
};
