#include "window/boxes/errorbox.h"

#include "window/boxes/messagebox.h"

#include <QCoreApplication>

QString ErrorBoxText(int number, const QString &description)
{
    return QCoreApplication::translate("ErrorBox",
                                       "An error has occurred.\r\nError: %1\r\nDescription: %2")
        .arg(number)
        .arg(description);
}

void ShowErrorBox(int number, const QString &description)
{
    ShowErrorBox(ErrorBoxText(number, description), nullptr);
}

void ShowErrorBox(const QString &text, QWidget *owner)
{
    showBox(text, QCoreApplication::translate("ErrorBox", "Error"), BoxButtons::Ok, BoxIcon::Stop,
            owner);
}
