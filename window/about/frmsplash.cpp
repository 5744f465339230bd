#include "window/about/frmsplash.h"

#include "window/main/twips.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

frmSplash::frmSplash(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_picture(QStringLiteral(":/artwork/splash.jpg")), m_tmrSplash(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(twipsToPixels(6000), twipsToPixels(3750));
    setModal(true);
    m_tmrSplash->setObjectName(QStringLiteral("tmrSplash"));
    m_tmrSplash->setInterval(Interval);
    connect(m_tmrSplash, &QTimer::timeout, this, &frmSplash::tmrSplash_Timer);
    m_tmrSplash->start();
}

void frmSplash::Form_Click()
{
    unload();
}

void frmSplash::Form_KeyPress(int)
{
    unload();
}

void frmSplash::tmrSplash_Timer()
{
    unload();
}

void frmSplash::unload()
{
    // Stopping the timer first means no later tick can act.
    m_tmrSplash->stop();
    done(QDialog::Accepted);
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_picture.isNull())
        painter.drawPixmap(rect(), m_picture);
    else
        painter.fillRect(rect(), QColor(24, 38, 64));
}

void frmSplash::mousePressEvent(QMouseEvent *)
{
    Form_Click();
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    Form_KeyPress(event->key());
}

void frmSplash::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
}
