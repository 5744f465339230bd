#include "window/copypathcommand.h"

#include "platform/joinpath.h"
#include "window/cataloguelist.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStringList>

namespace {
enum SubItem { PathItem = 1, FileItem = 2 };
} // namespace

void CopyPathCommand::mnuCopyPath_Click()
{
    QStringList paths;
    for (int row : m_list.selectedRows())
        paths.append(JoinPath(m_list.text(row, PathItem), m_list.text(row, FileItem)));
    if (!paths.isEmpty())
        QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
}
