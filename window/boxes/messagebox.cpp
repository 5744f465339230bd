#include "window/boxes/messagebox.h"

#include "platform/app.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace {

struct TestMode
{
    std::function<void(const QString &)> unanswered;
    QList<int> answers;
    QStringList inputs;
    QList<bool> checks;
    QList<MessageBox::Shown> shown;
};

TestMode &testMode()
{
    static TestMode mode;
    return mode;
}

QString titleOrApp(const QString &title)
{
    return title.isEmpty() ? App::Title() : title;
}

int showMessage(QWidget *owner, const QString &prompt, int flags, const QString &title,
                const QString &checkText = QString(), bool *checked = nullptr)
{
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    if (checked) {
        box.setCheckBox(new QCheckBox(checkText, &box));
        box.checkBox()->setChecked(*checked);
        QObject::connect(box.checkBox(), &QCheckBox::toggled,
                         [checked](bool on) { *checked = on; });
    }
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText); // a disc's label or a file's name is never markup
    box.setText(prompt);
    box.setIcon((flags & vbCritical) ? QMessageBox::Critical : QMessageBox::NoIcon);
    if ((flags & 0xF) == vbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((flags & vbDefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
        return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return vbOK;
}

QString showInput(const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    for (QLabel *label : box.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    box.setTextValue(defaultText);
    box.setInputMode(QInputDialog::TextInput);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

// The next queued answer, as a person would click it.
int answerInTestMode(const QString &prompt, int flags, const QString &title)
{
    TestMode &mode = testMode();
    mode.shown.append({QStringLiteral("msgbox"), prompt, flags, titleOrApp(title)});
    if (!mode.answers.isEmpty())
        return mode.answers.takeFirst();
    mode.unanswered(prompt);
    return (flags & 0xF) == vbYesNo ? vbNo : vbOK;
}

} // namespace

int MsgBox(const QString &prompt, int flags, const QString &title)
{
    TestMode &mode = testMode();
    if (!mode.unanswered)
        return showMessage(nullptr, prompt, flags, titleOrApp(title));
    return answerInTestMode(prompt, flags, title);
}

int MsgBox(QWidget *owner, const QString &prompt, int flags, const QString &title)
{
    TestMode &mode = testMode();
    if (!mode.unanswered)
        return showMessage(owner, prompt, flags, titleOrApp(title));
    return answerInTestMode(prompt, flags, title);
}

int MsgBox(const QString &prompt, int flags, const QString &title, const QString &checkText,
           bool &checked)
{
    TestMode &mode = testMode();
    if (!mode.unanswered)
        return showMessage(nullptr, prompt, flags, titleOrApp(title), checkText, &checked);
    if (!mode.checks.isEmpty())
        checked = mode.checks.takeFirst();
    return answerInTestMode(prompt, flags, title);
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    TestMode &mode = testMode();
    if (!mode.unanswered)
        return showInput(prompt, titleOrApp(title), defaultText);
    mode.shown.append({QStringLiteral("inputbox"), prompt, 0, titleOrApp(title)});
    if (!mode.inputs.isEmpty())
        return mode.inputs.takeFirst();
    mode.unanswered(prompt);
    return QString();
}

QLabel *PlainLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void reportUnhandledError(int number, const QString &description)
{
    MsgBox(QStringLiteral("Run-time error '%1':\n\n%2").arg(number).arg(description), vbCritical);
}

void MessageBox::setTestMode(std::function<void(const QString &)> unanswered)
{
    testMode() = TestMode{std::move(unanswered), {}, {}, {}, {}};
}

void MessageBox::setNextAnswer(int button)
{
    testMode().answers.append(button);
}

void MessageBox::setNextInput(const QString &text)
{
    testMode().inputs.append(text);
}

void MessageBox::setNextCheck(bool checked)
{
    testMode().checks.append(checked);
}

const QList<MessageBox::Shown> &MessageBox::shown()
{
    return testMode().shown;
}

int MessageBox::answersLeft()
{
    return int(testMode().answers.size() + testMode().inputs.size());
}
