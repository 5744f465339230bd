#include "platform/mousepointer.h"
#include "platform/platformerror.h"
#include "platform/shellexecute.h"
#include "support/cataloguefixture.h"
#include "support/queueddialogs.h"
#include "window/frmmain.h"
#include "window/launcher.h"

#include <QTableView>
#include <QtTest>

#include <sqlite3.h>

namespace {
// Records each open request and the pointer at that moment; answers with a set code.
class FakeShell : public ShellExecutor
{
public:
    explicit FakeShell(MousePointer &pointer) : m_pointer(pointer) {}
    int ShellExecute(const QString &operation, const QString &file, const QString &parameters,
                     const QString &directory, int showCommand) override
    {
        calls << QStringList{operation, file, parameters, directory, QString::number(showCommand)};
        pointerSeen = m_pointer.mousePointer();
        if (result < 0)
            throw PlatformError(5, "Access is denied.");
        return result;
    }
    QList<QStringList> calls;
    int result = ShellExecuteSucceeded;
    int pointerSeen = -1;

private:
    MousePointer &m_pointer;
};

int rowCount(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM Files", -1, &statement, nullptr);
    sqlite3_step(statement);
    const int count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return count;
}
} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void launch_data();
    void launch();
    void listEvents_data();
    void listEvents();
};

void TestLauncher::launch_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("result");     // -1: the shell call raises
    QTest::addColumn<QString>("opened"); // empty: nothing opened
    QTest::addColumn<QString>("message");

    const QString docs = "/media/cd/Docs";
    QTest::newRow("yes opens the file") << docs << true << int(vbYes) << 42 << docs + "/letter.txt"
                                        << "";
    QTest::newRow("no opens nothing") << docs << true << int(vbNo) << 42 << ""
                                      << "";
    QTest::newRow("no selected item") << docs << false << int(vbYes) << 42 << ""
                                      << "";
    QTest::newRow("root folder doubles the separator")
        << "/" << true << int(vbYes) << 42 << "//letter.txt"
        << "";
    QTest::newRow("empty folder") << "" << true << int(vbYes) << 42 << "/letter.txt"
                                  << "";
    const QList<QPair<int, QString>> codes = {
        {2, "Error finding executable!"},
        {3, "Path not found!"},
        {11, "Bad format of executable!"},
        {28, "The DDE transaction could not be completed because the request timed out."},
        {29, "The DDE transaction failed"},
        {31, "There is no application associated with the given file name extension."},
        {0, ""},
        {5, ""},
        {30, ""},
        {32, ""}};
    QTest::newRow("failure inside ends silently")
        << docs << true << int(vbYes) << -1 << docs + "/letter.txt"
        << "";
    for (const auto &code : codes)
        QTest::newRow(qPrintable(QString("code %1").arg(code.first)))
            << docs << true << int(vbYes) << code.first << docs + "/letter.txt" << code.second;
}

void TestLauncher::launch()
{
    QFETCH(QString, path);
    QFETCH(bool, selected);
    QFETCH(int, answer);
    QFETCH(int, result);
    QFETCH(QString, opened);
    QFETCH(QString, message);

    CatalogueFixture catalogue;
    catalogue.addRow("/media/cd/Other", "other.txt", "OTHER");
    catalogue.addRow(path, "letter.txt", "(no label)");
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    if (selected)
        workspace.lvwFiles.setSelectedItem(1);
    FakeShell shell(pointer);
    shell.result = result;
    QueuedDialogs boxes;
    boxes.queueAnswer(answer);
    Launcher launcher(workspace.lvwFiles, pointer, shell, nullptr);
    launcher.cmdExecuteFile_Click();

    QList<QueuedDialogs::Shown> shown = boxes.messages();
    if (selected) {
        QCOMPARE(shown.first().text,
                 "Have you inserted the CD: (no label) into drive " + path + "?");
        QCOMPARE(shown.first().title, QStringLiteral("Insert proper CD"));
        QCOMPARE(shown.first().flags, 4);
        shown.removeFirst();
    }
    if (opened.isEmpty()) {
        QVERIFY(shell.calls.isEmpty());
    } else {
        QCOMPARE(shell.calls.size(), 1);
        QCOMPARE(shell.calls[0], (QStringList{"open", opened, "", "", "1"}));
        QCOMPARE(shell.pointerSeen, int(vbHourglass));
    }
    if (message.isEmpty()) {
        QVERIFY(shown.isEmpty());
    } else {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, message);
        QCOMPARE(shown[0].title, QStringLiteral("Error"));
        QCOMPARE(shown[0].flags, 16);
    }
    QCOMPARE(pointer.mousePointer(), int(vbDefault));
}

// Keys and double-clicks reaching the real list of the main window.
void TestLauncher::listEvents_data()
{
    QTest::addColumn<int>("key"); // 0: a double-click on the selected row
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("effect"); // "launch", "remove" or "none"

    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << "launch";
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "launch";
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "launch";
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "launch";
    QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << int(Qt::AltModifier) << "launch";
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << "remove";
    QTest::newRow("Ctrl+Backspace")
        << int(Qt::Key_Backspace) << int(Qt::ControlModifier) << "remove";
    QTest::newRow("other key reaches the list")
        << int(Qt::Key_Down) << int(Qt::NoModifier) << "none";
    QTest::newRow("double-click") << 0 << int(Qt::NoModifier) << "launch";
}

void TestLauncher::listEvents()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, effect);

    CatalogueFixture catalogue;
    catalogue.addRow("/media/cd", "first.txt");
    catalogue.addRow("/media/cd", "second.txt");
    catalogue.addRow("/media/cd", "third.txt");
    frmMain window;
    FakeShell shell(window);
    window.setShell(&shell);
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTableView *view = window.listView();
    window.workspace().lvwFiles.setSelectedItem(1);
    QueuedDialogs boxes;
    boxes.queueAnswer(vbYes);

    if (key == 0) {
        const QRect rect = view->visualRect(view->model()->index(1, 2));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    } else {
        QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    }

    if (effect == "launch") {
        QCOMPARE(shell.calls.size(), 1);
        QCOMPARE(shell.calls[0][1], QStringLiteral("/media/cd/second.txt"));
    } else {
        QVERIFY(shell.calls.isEmpty());
    }
    QCOMPARE(rowCount(catalogue.db()), effect == "remove" ? 2 : 3);
    if (effect == "remove") {
        QVERIFY(boxes.shown.isEmpty()); // no question asked
        QCOMPARE(window.workspace().lvwFiles.count(), 2);
    }
    if (effect == "none") {
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(view->currentIndex().row(), 2); // the list moved down: it got the key
    }
    QCOMPARE(window.mousePointer(), int(vbDefault));
}

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
