#include "window/about/frmabout.h"

#include "platform/app.h"
#include "window/about/sysinfo.h"
#include "window/main/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

const char *const HelpText = QT_TRANSLATE_NOOP(
    "frmAbout",
    "Use this program to archive all of your CDs! Simply put your CD in the CD-ROM, click "
    "\"Index Directory\" and enter the drive letter of your CD-ROM (ie. D:).  You can use the "
    "\"Search \" button to find files fast.  Double click an item to execute that file.You can "
    "use the backspace key on your keyboard to remove items.");

const char *const Disclaimer = QT_TRANSLATE_NOOP(
    "frmAbout",
    "Vellumark was written by its authors and is free software: you may copy it and pass it on "
    "to anyone free of charge. It comes with no warranty of any kind.");

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry, bool black)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (black) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

// The classic small dialog lettering: the largest size from 11 pixels down that shows the whole
// help text inside its label.
QFont bodyFont(const QFont &base, const QLabel *label, const QString &text)
{
    QFont font = base;
    for (int pixels = 11; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        const QRect needed = QFontMetrics(font).boundingRect(
            QRect(0, 0, label->width(), 10000), Qt::TextWordWrap | Qt::AlignLeft, text);
        if (needed.height() <= label->height())
            break;
    }
    return font;
}

} // namespace

frmAbout::frmAbout(ProgramLauncher &launcher, QWidget *parent)
    : QDialog(parent), m_launcher(launcher)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(5730), twipsToPixels(3555));
    setWindowIcon(QApplication::windowIcon());

    // Created in tab order.
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twipsRect(240, 240, 480, 480));
    picIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));

    cmdSysInfo = new QPushButton(tr("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(twipsRect(4260, 3075, 1245, 345));
    // Enter anywhere in the dialog presses OK, also while System Info has the focus.
    cmdSysInfo->setAutoDefault(false);

    lblDescription = makeLabel(this, "lblDescription", twipsRect(1050, 1125, 3885, 1170), true);
    lblDescription->setWordWrap(true);
    lblDescription->setText(tr(HelpText));

    lblDisclaimer = makeLabel(this, "lblDisclaimer", twipsRect(255, 2625, 3870, 825), true);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setText(tr(Disclaimer));

    lblTitle = makeLabel(this, "lblTitle", twipsRect(1050, 240, 3885, 480), true);
    lblVersion = makeLabel(this, "lblVersion", twipsRect(1050, 780, 3885, 225), false);

    const QFont body = bodyFont(font(), lblDescription, lblDescription->text());
    for (QLabel *label : {lblDescription, lblDisclaimer, lblVersion})
        label->setFont(body);
    QFont buttons = font();
    buttons.setPixelSize(11);
    cmdOK->setFont(buttons);
    cmdSysInfo->setFont(buttons);
    QFont title = font();
    title.setPixelSize(20);
    title.setBold(true);
    lblTitle->setFont(title);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(tr("About ") + App::Title());
    lblVersion->setText(
        tr("Version %1.%2.%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision()));
    lblTitle->setText(App::Title());
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo(m_launcher);
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    // OK is also the cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // The etched separator above the buttons: a grey line with a white one below and to the right.
    QPainter painter(this);
    const int right = twipsToPixels(5654);
    const int greyLeft = twipsToPixels(90), greyTop = twipsToPixels(2445);
    const int whiteLeft = twipsToPixels(105), whiteTop = twipsToPixels(2460);
    painter.fillRect(QRect(greyLeft, greyTop, right - greyLeft, 1), QColor(128, 128, 128));
    painter.fillRect(QRect(whiteLeft, whiteTop, right - whiteLeft, 2), QColor(255, 255, 255));
}
