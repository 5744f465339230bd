#include "platform/guidialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

int GuiDialogs::msgBox(const QString &prompt, int flags, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setIcon((flags & vbCritical) ? QMessageBox::Critical : QMessageBox::NoIcon);
    if ((flags & 0xF) == vbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
        return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return vbOK;
}

QString GuiDialogs::inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText)
{
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    box.setInputMode(QInputDialog::TextInput);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}
