#include "platform/mousepointer.h"
#include "platform/platformerror.h"
#include "platform/shellexecute.h"
#include "support/cataloguefixture.h"
#include "support/queueddialogs.h"
#include "window/frmmain.h"

#include <QTableView>
#include <QtTest>

namespace {
// Records each open request and the pointer at that moment; answers with a set code, or raises
// for a negative one.
struct FakeShell : ShellExecutor
{
    explicit FakeShell(MousePointer &pointer) : pointer(pointer) {}
    int ShellExecute(const QString &operation, const QString &file, const QString &parameters,
                     const QString &directory, int showCommand) override
    {
        calls << QStringList{operation, file, parameters, directory, QString::number(showCommand)};
        pointerSeen = pointer.mousePointer();
        if (result < 0)
            throw PlatformError(5, "Access is denied.");
        return result;
    }
    MousePointer &pointer;
    QList<QStringList> calls;
    int result = ShellExecuteSucceeded, pointerSeen = -1;
};
} // namespace

// Launching from the main window's Execute button and from keys and double-clicks reaching its
// real list.
class TestLauncher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void launch_data();
    void launch();
};

void TestLauncher::launch_data()
{
    QTest::addColumn<int>("key"); // 0: the Execute button, -1: a double-click on the selected row
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("answer"); // to the question; 0: nothing selected
    QTest::addColumn<int>("result"); // the shell's; -1: it raises
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("path");

    auto row = [](const QString &name, int key, int modifiers = 0, int answer = vbYes,
                  int result = 42, const QString &message = {},
                  const QString &path = "/media/cd/Docs") {
        QTest::newRow(qPrintable(name)) << key << modifiers << answer << result << message << path;
    };
    row("no opens nothing", 0, 0, vbNo);
    row("no selected item", 0, 0, 0);
    row("root folder", 0, 0, vbYes, 42, {}, "/");
    const QList<QPair<int, QString>> codes = {
        {2, "Error finding executable!"},
        {3, "Path not found!"},
        {11, "Bad format of executable!"},
        {28, "The DDE transaction could not be completed because the request timed out."},
        {29, "The DDE transaction failed"},
        {31, "There is no application associated with the given file name extension."}};
    for (const auto &code : codes)
        row(QString("code %1").arg(code.first), 0, 0, vbYes, code.first, code.second);
    for (int code : {42, -1, 0, 5, 30, 32}) // success, a failure inside, codes without a message
        row(QString("code %1").arg(code), 0, 0, vbYes, code);
    row("Enter", Qt::Key_Return);
    row("keypad Enter", Qt::Key_Enter, Qt::KeypadModifier);
    row("Shift+Enter", Qt::Key_Return, Qt::ShiftModifier);
    row("Ctrl+Enter", Qt::Key_Return, Qt::ControlModifier);
    row("Alt+Enter", Qt::Key_Return, Qt::AltModifier);
    row("Backspace removes", Qt::Key_Backspace);
    row("Ctrl+Backspace removes", Qt::Key_Backspace, Qt::ControlModifier);
    row("other key reaches the list", Qt::Key_Down);
    row("double-click", -1);
}

void TestLauncher::launch()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, answer);
    QFETCH(int, result);
    QFETCH(QString, message);
    QFETCH(QString, path);

    CatalogueFixture catalogue;
    catalogue.addRow("/media/cd/Other", "other.txt", "OTHER");
    catalogue.addRow(path, "letter.txt", "(no label)");
    catalogue.addRow("/media/cd/Other", "third.txt", "OTHER");
    frmMain window;
    FakeShell shell(window);
    shell.result = result;
    window.setShell(&shell);
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTableView *view = window.listView();
    if (answer != 0)
        window.workspace().lvwFiles.setSelectedItem(1);
    QueuedDialogs boxes;
    boxes.queueAnswer(answer);
    if (key == 0)
        window.cmdExecuteFile_Click();
    else if (key < 0)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(view->model()->index(1, 2)).center());
    else
        QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    const bool removes = key == Qt::Key_Backspace, asks = !removes && key != Qt::Key_Down;
    QList<QueuedDialogs::Shown> shown = boxes.messages();
    if (asks && answer != 0) {
        QCOMPARE(shown.first().text,
                 "Have you inserted the CD: (no label) into drive " + path + "?");
        QCOMPARE(shown.first().title, QStringLiteral("Insert proper CD"));
        QCOMPARE(shown.takeFirst().flags, 4);
    }
    QCOMPARE(shell.calls.size(), asks && answer == vbYes ? 1 : 0);
    if (!shell.calls.isEmpty()) {
        // Folder and name joined by a "/" even for the root folder: "//letter.txt".
        QCOMPARE(shell.calls[0], (QStringList{"open", path + "/letter.txt", "", "", "1"}));
        QCOMPARE(shell.pointerSeen, int(vbHourglass));
    }
    QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(shown[0].text, message);
        QCOMPARE(shown[0].title, QStringLiteral("Error"));
        QCOMPARE(shown[0].flags, 16);
    }
    QCOMPARE(catalogue.files().size(), removes ? 2 : 3);
    QCOMPARE(window.workspace().lvwFiles.count(), removes ? 2 : 3);
    if (key == Qt::Key_Down) // the list moved down: it got the key
        QCOMPARE(view->currentIndex().row(), 2);
    QCOMPARE(window.mousePointer(), int(vbDefault));
}

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
