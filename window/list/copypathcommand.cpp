#include "window/list/copypathcommand.h"

#include "catalogue/filesfield.h"
#include "platform/joinpath.h"
#include "window/list/cataloguelist.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>

void CopyPathCommand::mnuCopyPath_Click()
{
    QStringList paths;
    QByteArray uris;
    for (int row : m_list.selectedRows()) {
        paths.append(
            JoinPath(m_list.text(row, FilesField::Path), m_list.text(row, FilesField::File)));
        // The text shows a name that is not UTF-8 with replacement characters; the address
        // keeps its own bytes, so that a program taking it finds the file.
        const QByteArray path =
            JoinPath(m_list.bytes(row, FilesField::Path), m_list.bytes(row, FilesField::File));
        uris += "file://" + path.toPercentEncoding("/") + "\r\n";
    }
    if (paths.isEmpty())
        return;
    auto *data = new QMimeData;
    data->setText(paths.join(QLatin1Char('\n')));
    data->setData(QStringLiteral("text/uri-list"), uris);
    QGuiApplication::clipboard()->setMimeData(data);
}
