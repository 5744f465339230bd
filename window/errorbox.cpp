#include "window/errorbox.h"

#include "window/messagebox.h"

void ShowErrorBox(int number, const QString &description)
{
    MsgBox(QStringLiteral("An error has occurred.\r\nError: %1\r\nDescription: %2")
               .arg(number)
               .arg(description),
           vbCritical, QStringLiteral("Error"));
}
