#pragma once

#include <QDialog>

class ProgramLauncher;
class QLabel;
class QPushButton;

// The about box: icon, title, version and a short help text; OK closes it, System Info starts the
// system-information program. A new one is made for each opening.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    // System Info starts the program through launcher. Centred over parent when one is given.
    explicit frmAbout(ProgramLauncher &launcher, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    ProgramLauncher &m_launcher;
    QPushButton *cmdOK;
    QLabel *picIcon;
    QPushButton *cmdSysInfo;
    QLabel *lblDescription;
    QLabel *lblDisclaimer;
    QLabel *lblTitle;
    QLabel *lblVersion;
};
