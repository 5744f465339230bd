#pragma once

#include <QDialog>
#include <QPixmap>

class QTimer;

// The borderless picture shown for two seconds at start; a click or any key closes it at once.
// The picture comes from the program's resources, which the start-up makes readable first.
class frmSplash : public QDialog
{
    Q_OBJECT
public:
    static constexpr int Interval = 2000;

    explicit frmSplash(QWidget *parent = nullptr);

    QTimer *tmrSplash() const { return m_tmrSplash; }

    void Form_Click();
    void Form_KeyPress(int keyAscii);
    void tmrSplash_Timer();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void unload();

    QPixmap m_picture;
    QTimer *m_tmrSplash;
};
