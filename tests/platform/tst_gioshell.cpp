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
    QString recorded(const QString &name) const;

    QTemporaryDir m_root;
    QString m_files;
};

QString TestGioShell::write(const QString &relative, const QByteArray &content, bool executable)
{
    const QString path = m_root.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup);
    return path;
}

QString TestGioShell::recorded(const QString &name) const
{
    QFile file(m_root.filePath(name));
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
          "<?xml version=\"1.0\"?>\n"
          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
          " <mime-type type=\"application/x-vellumark-test\"><glob pattern=\"*.vmtest\"/>"
          "</mime-type>\n"
          " <mime-type type=\"application/x-vellumark-orphan\"><glob pattern=\"*.vmorphan\"/>"
          "</mime-type>\n"
          "</mime-info>\n");
    QCOMPARE(QProcess::execute(updateMime, {m_root.filePath("home/mime")}), 0);
    const QString recorder = write("recorder.sh",
                                   "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"" +
                                       m_root.filePath("opened.txt").toUtf8() + "\"\n",
                                   true);
    write("home/applications/vellumark-recorder.desktop",
          "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder.toUtf8() +
              " %f\nMimeType=application/x-vellumark-test;\nTerminal=false\n");
    write("config/mimeapps.list",
          "[Default Applications]\napplication/x-vellumark-test=vellumark-recorder.desktop\n");
    QDir().mkpath(m_root.filePath("sys"));

    m_files = m_root.filePath("disc");
    write("disc/Docs/letter.vmtest", "hello");
    write("disc/Docs/notes.vmorphan", "no application");
    write("disc/Docs/broken",
          QByteArray("\x7f"
                     "ELF garbage, no image",
                     25),
          true);
    write("disc/Docs/junk.bin", QByteArray("\x01\x02\x03\x04 binary", 11), true);
    write("disc/Docs/run.sh",
          "#!/bin/sh\necho ran > \"" + m_root.filePath("ran.txt").toUtf8() + "\"\n", true);
}

void TestGioShell::open_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("recordedIn"); // which record proves the open, if any
    QTest::addColumn<QString>("recordedPath");

    const QString docs = m_files + "/Docs";
    QTest::newRow("document opens with its application")
        << docs + "/letter.vmtest" << int(ShellExecuteSucceeded) << "opened.txt"
        << docs + "/letter.vmtest";
    QTest::newRow("doubled separator still names the file")
        << docs + "//letter.vmtest" << int(ShellExecuteSucceeded) << "opened.txt"
        << docs + "/letter.vmtest";
    QTest::newRow("program is run") << docs + "/run.sh" << int(ShellExecuteSucceeded) << "ran.txt"
                                    << "ran";
    QTest::newRow("missing file") << docs + "/gone.vmtest" << int(ERROR_FILE_NOT_FOUND) << ""
                                  << "";
    QTest::newRow("missing folder")
        << m_files + "/Nowhere/letter.vmtest" << int(ERROR_PATH_NOT_FOUND) << ""
        << "";
    QTest::newRow("program that cannot be run") << docs + "/broken" << int(ERROR_BAD_FORMAT) << ""
                                                << "";
    QTest::newRow("executable of no known type")
        << docs + "/junk.bin" << int(ERROR_BAD_FORMAT) << ""
        << "";
    QTest::newRow("type without application")
        << docs + "/notes.vmorphan" << int(SE_ERR_NOASSOC) << ""
        << "";
}

void TestGioShell::open()
{
    QFETCH(QString, file);
    QFETCH(int, result);
    QFETCH(QString, recordedIn);
    QFETCH(QString, recordedPath);

    QFile::remove(m_root.filePath("opened.txt"));
    QFile::remove(m_root.filePath("ran.txt"));
    GioShell shell;
    const int answer = shell.ShellExecute("open", file, "", "", SW_SHOWNORMAL);
    if (result == ShellExecuteSucceeded)
        QVERIFY2(answer > 32, qPrintable(QString::number(answer)));
    else
        QCOMPARE(answer, result);
    if (!recordedIn.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(recorded(recordedIn), recordedPath, 5000);
}

// The whole way from the list: the question, Yes, and the associated program given the file.
void TestGioShell::yesOpensTheSelectedFile()
{
    QFile::remove(m_root.filePath("opened.txt"));
    CatalogueFixture catalogue;
    catalogue.addRow(m_files + "/Docs", "notes.vmorphan");
    catalogue.addRow(m_files + "/Docs", "letter.vmtest");
    RecordedPointer pointer;
    Workspace workspace(pointer);
    workspace.Form_Load();
    workspace.lvwFiles.setSelectedItem(1);
    GioShell shell;
    QueuedDialogs boxes;
    boxes.queueAnswer(vbYes);
    Launcher(workspace.lvwFiles, pointer, shell, nullptr).cmdExecuteFile_Click();

    QTRY_COMPARE_WITH_TIMEOUT(recorded("opened.txt"), m_files + "/Docs/letter.vmtest", 5000);
    QCOMPARE(boxes.messages().size(), 1); // the question, no error
}

QTEST_GUILESS_MAIN(TestGioShell)
#include "tst_gioshell.moc"
