#include "support/queuedboxes.h"
#include "support/testcatalogue.h"
#include "support/testservices.h"
#include "window/main/frmmain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The access key of a caption ("E&xit" gives X), or none.
QChar accessKey(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return caption[i + 1].toUpper();
        ++i; // "&&" is an ampersand shown
    }
    return QChar();
}

// The captions of one window or menu that share an access key, "caption / caption" each.
QStringList clashes(const QStringList &captions)
{
    QStringList found;
    QHash<QChar, QString> taken;
    for (const QString &caption : captions) {
        const QChar key = accessKey(caption);
        if (key.isNull())
            continue;
        if (taken.contains(key))
            found << taken[key] + QStringLiteral(" / ") + caption;
        taken[key] = caption;
    }
    return found;
}

// What a person can reach by Alt and a letter in window: its buttons and labelled fields.
QStringList captionsOf(const QWidget *window)
{
    QStringList captions;
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        if (button->window() == window)
            captions << button->text();
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->window() == window && label->buddy())
            captions << label->text();
    return captions;
}

QStringList captionsOf(const QMenu *menu)
{
    QStringList captions;
    for (const QAction *action : menu->actions())
        captions << action->text();
    return captions;
}

} // namespace

// Every window, menu and box gives each access key to one control only.
class TestAccessKeys : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;

private Q_SLOTS:
    void initTestCase()
    {
        TestCatalogue::exec(TestCatalogue::create(m_dir.path()),
                            QStringLiteral("INSERT INTO Files (Path, File) VALUES ('/d', 'a')"));
        m_window = std::make_unique<frmMain>(testServices(m_dir.path()));
        m_window->Form_Load();
        m_window->show();
        m_window->mnuDiscs_Click();
        m_window->mnuFind_Click();
    }
    void cleanupTestCase() { m_window.reset(); }

    void unique_data()
    {
        QTest::addColumn<QString>("what");
        for (const char *what : {"frmMain", "frmDiscs", "frmFind", "menus", "frmAbout", "box"})
            QTest::newRow(what) << what;
    }
    void unique()
    {
        QFETCH(QString, what);
        QStringList found = {QStringLiteral("nothing walked")};
        if (what == QLatin1String("menus")) {
            found.clear();
            const QList<QMenu *> menus = m_window->findChildren<QMenu *>();
            QVERIFY(!menus.isEmpty());
            for (const QMenu *menu : menus)
                found << clashes(captionsOf(menu));
        } else if (what == QLatin1String("frmAbout") || what == QLatin1String("box")) {
            // Modal: looked at while it is up, then closed as Esc closes it.
            QTimer::singleShot(0, [&] {
                if (QWidget *modal = QApplication::activeModalWidget()) {
                    found = clashes(captionsOf(modal));
                    QTest::keyClick(modal, Qt::Key_Escape);
                }
            });
            if (what == QLatin1String("frmAbout")) {
                m_window->cmdAbout_Click();
            } else {
                MessageBox::setTestMode({}); // a real box, the New Disc offer's kind
                bool checked = false;
                showBox(QStringLiteral("Catalogue it now?"), QString(), BoxButtons::YesNo,
                        QStringLiteral("Do not ask again"), checked);
                QueuedBoxes restoreTestMode;
            }
        } else {
            QWidget *window = what == QLatin1String("frmMain")
                                  ? m_window.get()
                                  : m_window->findChild<QWidget *>(what);
            QVERIFY(window && window->isVisible());
            found = clashes(captionsOf(window));
        }
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TestAccessKeys)
#include "tst_accesskeys.moc"
