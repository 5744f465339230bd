#include "platform/gioshell.h"
#include "platform/mousepointer.h"
#include "support/cataloguefixture.h"
#include "support/queueddialogs.h"
#include "window/launcher.h"
#include "window/workspace.h"

#include <QtTest>

// The shell's open request against real GIO: a private association database whose program
// records the path it was given.
class TestGioShell : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void open_data();
    void open();
    void yesOpensTheSelectedFile();

private:
    QString write(const QString &relative, const QByteArray &content, bool executable = false);
    QString recorded() const; // what the recorder or the program wrote

    QTemporaryDir m_root;
    QString m_docs;
};

QString TestGioShell::write(const QString &relative, const QByteArray &content, bool executable)
{
    const QString path = m_root.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    return path;
}

QString TestGioShell::recorded() const
{
    QFile file(m_root.filePath("opened.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

void TestGioShell::initTestCase()
{
    QVERIFY(m_root.isValid());
    const QString updateMime = QStandardPaths::findExecutable("update-mime-database");
    if (updateMime.isEmpty())
        QSKIP("update-mime-database (shared-mime-info) is not installed");
    // Before GIO's first use, which reads these once.
    qputenv("XDG_DATA_HOME", m_root.filePath("home").toUtf8());
    qputenv("XDG_DATA_DIRS", m_root.filePath("sys").toUtf8());
    qputenv("XDG_CONFIG_HOME", m_root.filePath("config").toUtf8());
    qputenv("XDG_CONFIG_DIRS", m_root.filePath("sys").toUtf8());
    qputenv("GIO_USE_VFS", "local");
    qunsetenv("XDG_CURRENT_DESKTOP");

    // A test type with an application, and one without.
    write("home/mime/packages/vellumark-test.xml",
          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
          "<mime-type type=\"application/x-vmtest\"><glob pattern=\"*.vmtest\"/></mime-type>\n"
          "<mime-type type=\"application/x-vmorphan\"><glob pattern=\"*.vmorphan\"/></mime-type>\n"
          "</mime-info>\n");
    QCOMPARE(QProcess::execute(updateMime, {m_root.filePath("home/mime")}), 0);
    const QByteArray opened = m_root.filePath("opened.txt").toUtf8();
    const QString recorder =
        write("recorder.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"" + opened + "\"\n", true);
    write("home/applications/vellumark-recorder.desktop",
          "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder.toUtf8() +
              " %f\nMimeType=application/x-vmtest;\n");
    write("config/mimeapps.list",
          "[Default Applications]\napplication/x-vmtest=vellumark-recorder.desktop\n");

    m_docs = m_root.filePath("disc/Docs");
    write("disc/Docs/letter.vmtest", "hello");
    write("disc/Docs/notes.vmorphan", "no application");
    write("disc/Docs/broken", "\177ELF garbage, no image", true);
    write("disc/Docs/junk.bin", "\1\2\3\4 binary", true);
    write("disc/Docs/run.sh", "#!/bin/sh\necho ran > \"" + opened + "\"\n", true);
}

void TestGioShell::open_data()
{
    QTest::addColumn<QString>("file"); // in the disc's Docs folder
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("opened"); // what the program recorded; empty: nothing ran

    const int ok = ShellExecuteSucceeded;
    QTest::newRow("doubled separator") << "/letter.vmtest" << ok << m_docs + "/letter.vmtest";
    QTest::newRow("program is run") << "run.sh" << ok << "ran";
    QTest::newRow("missing file") << "gone.vmtest" << int(ERROR_FILE_NOT_FOUND) << "";
    QTest::newRow("missing folder") << "Nowhere/a.vmtest" << int(ERROR_PATH_NOT_FOUND) << "";
    QTest::newRow("program that cannot run") << "broken" << int(ERROR_BAD_FORMAT) << "";
    QTest::newRow("executable of no known type") << "junk.bin" << int(ERROR_BAD_FORMAT) << "";
    QTest::newRow("type without application") << "notes.vmorphan" << int(SE_ERR_NOASSOC) << "";
}

void TestGioShell::open()
{
    QFETCH(QString, file);
    QFETCH(int, result);
    QFETCH(QString, opened);

    QFile::remove(m_root.filePath("opened.txt"));
    const int answer = GioShell().ShellExecute("open", m_docs + "/" + file, "", "", SW_SHOWNORMAL);
    if (result == ShellExecuteSucceeded)
        QVERIFY2(answer > 32, qPrintable(QString::number(answer)));
    else
        QCOMPARE(answer, result);
    if (!opened.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), opened, 5000);
}

// The whole way from the list: the question, Yes, and the associated program given the file.
void TestGioShell::yesOpensTheSelectedFile()
{
    QFile::remove(m_root.filePath("opened.txt"));
    CatalogueFixture catalogue;
    catalogue.addRow(m_docs, "notes.vmorphan");
    catalogue.addRow(m_docs, "letter.vmtest");
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    workspace.lvwFiles.setSelectedItem(1);
    GioShell shell;
    QueuedDialogs boxes;
    boxes.queueAnswer(vbYes);
    Launcher(workspace.lvwFiles, pointer, shell, nullptr).cmdExecuteFile_Click();

    QTRY_COMPARE_WITH_TIMEOUT(recorded(), m_docs + "/letter.vmtest", 5000);
    QCOMPARE(boxes.messages().size(), 1); // the question, no error
}

QTEST_GUILESS_MAIN(TestGioShell)
#include "tst_gioshell.moc"
