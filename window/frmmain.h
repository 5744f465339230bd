#pragma once

#include "platform/mousepointer.h"
#include "window/mainlayout.h"
#include "window/workspace.h"

#include <QWidget>

#include <functional>

class QPushButton;
class QTableView;
class ShellExecutor;

// The main window: six command buttons on the left, the catalogue list on the right.
class frmMain : public QWidget, public MousePointer
{
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Opens the catalogue and fills the list; raises PlatformError when it cannot be opened.
    void Form_Load();
    void RefreshLv();

    void setMousePointer(int shape) override;
    int mousePointer() const override { return m_pointer; }

    Workspace &workspace() { return m_workspace; }
    const MainLayout &layoutTwips() const { return m_layout; }
    QTableView *listView() const { return m_lvwFiles; }

    // What Exit does; tests put something observable in place of ending the process.
    void setEndProcess(std::function<void()> endProcess) { m_endProcess = std::move(endProcess); }

    void lvwFiles_ColumnClick(int index);
    void lvwFiles_DblClick();
    void lvwFiles_KeyDown(int keyCode, int shift);
    // Opens file through the shell and reports the failures that have a message.
    void OpenFile(QString file);
    // The shell that opens files; tests put their own in place of the system's.
    void setShell(ShellExecutor *shell) { m_shell = shell; }

public Q_SLOTS:
    void cmdIndexDirectory_Click();
    void cmdSearch_Click();
    void cmdExecuteFile_Click();
    void cmdRemove_Click();
    void cmdAbout_Click();
    void cmdExit_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Form_Resize();
    void applyLayout();
    QPushButton *makeButton(const char *name, const QString &caption);

    int m_pointer = vbDefault;
    Workspace m_workspace;
    MainLayout m_layout;
    std::function<void()> m_endProcess;
    ShellExecutor *m_shell;

    QTableView *m_lvwFiles;
    QPushButton *m_cmdExit;
    QPushButton *m_cmdAbout;
    QPushButton *m_cmdExecuteFile;
    QPushButton *m_cmdIndexDirectory;
    QPushButton *m_cmdRemove;
    QPushButton *m_cmdSearch;
};
