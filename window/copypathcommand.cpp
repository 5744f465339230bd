#include "window/copypathcommand.h"

#include "catalogue/filesfield.h"
#include "platform/joinpath.h"
#include "window/cataloguelist.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStringList>

void CopyPathCommand::mnuCopyPath_Click()
{
    QStringList paths;
    for (int row : m_list.selectedRows())
        paths.append(
            JoinPath(m_list.text(row, FilesField::Path), m_list.text(row, FilesField::File)));
    if (!paths.isEmpty())
        QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
}
