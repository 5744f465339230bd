#pragma once

#include "platform/dialogs.h"

// Real modal boxes: QMessageBox and QInputDialog.
class GuiDialogs : public Dialogs
{
public:
    int msgBox(const QString &prompt, int flags, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
};
