#include "window/boxes/messagebox.h"

#include "platform/app.h"
#include "window/boxes/busycursor.h"

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
    QList<BoxAnswer> answers;
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

BoxAnswer showMessage(QWidget *owner, const QString &prompt, BoxButtons buttons, BoxIcon icon,
                      const QString &title, const QString &checkText = QString(),
                      bool *checked = nullptr)
{
    const BusyCursor waiting(BusyCursor::Waiting);
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
    box.setIcon(icon == BoxIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon);
    if (buttons == BoxButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return BoxAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(buttons == BoxButtons::YesNoDefaultNo ? QMessageBox::No
                                                               : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QCoreApplication::translate("MessageBox", "&Yes"));
    box.button(QMessageBox::No)->setText(QCoreApplication::translate("MessageBox", "&No"));
    return box.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

QString showInput(const QString &prompt, const QString &title, const QString &defaultText)
{
    const BusyCursor waiting(BusyCursor::Waiting);
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
BoxAnswer answerInTestMode(const QString &prompt, BoxButtons buttons, BoxIcon icon,
                           const QString &title)
{
    TestMode &mode = testMode();
    mode.shown.append({false, prompt, titleOrApp(title), buttons, icon});
    if (!mode.answers.isEmpty())
        return mode.answers.takeFirst();
    mode.unanswered(prompt);
    return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
}

} // namespace

BoxAnswer showBox(const QString &text, const QString &title, BoxButtons buttons, BoxIcon icon,
                  QWidget *owner)
{
    if (!testMode().unanswered)
        return showMessage(owner, text, buttons, icon, titleOrApp(title));
    return answerInTestMode(text, buttons, icon, title);
}

BoxAnswer showBox(const QString &text, const QString &title, BoxButtons buttons,
                  const QString &checkText, bool &checked)
{
    TestMode &mode = testMode();
    if (!mode.unanswered)
        return showMessage(nullptr, text, buttons, BoxIcon::None, titleOrApp(title), checkText,
                           &checked);
    if (!mode.checks.isEmpty())
        checked = mode.checks.takeFirst();
    return answerInTestMode(text, buttons, BoxIcon::None, title);
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    TestMode &mode = testMode();
    if (!mode.unanswered)
        return showInput(prompt, titleOrApp(title), defaultText);
    mode.shown.append({true, prompt, titleOrApp(title), BoxButtons::Ok, BoxIcon::None});
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
    showBox(QCoreApplication::translate("MessageBox", "Run-time error '%1':\n\n%2")
                .arg(number)
                .arg(description),
            QString(), BoxButtons::Ok, BoxIcon::Stop);
}

void MessageBox::setTestMode(std::function<void(const QString &)> unanswered)
{
    testMode() = TestMode{std::move(unanswered), {}, {}, {}, {}};
}

void MessageBox::setNextAnswer(BoxAnswer answer)
{
    testMode().answers.append(answer);
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
