#include "window/main/services.h"

#include "platform/app.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mountedmedia.h"
#include "platform/programlauncher.h"
#include "platform/fileopener.h"
#include "platform/volumequery.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

#include <cstdlib>

namespace {

QString saveFileDialog(QWidget *parent, const QString &title, const QString &proposed)
{
    const QFileInfo file(proposed);
    QFileDialog dialog(parent, title, file.path(),
                       QCoreApplication::translate("Services", "CSV files (*.csv);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv")); // a name typed without one gets ".csv"
    dialog.selectFile(file.fileName());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

} // namespace

Services Services::system()
{
    static DetachedLauncher launcher;
    Services services{App::Path(),
                      &systemFileOpener(),
                      &launcher,
                      &systemVolumeQuery(),
                      &systemMountedMedia(),
                      &systemFolderLister(),
                      &systemFileMetadataReader(),
                      [](int status) { std::_Exit(status); },
                      saveFileDialog};
    services.offerNewDiscs = true;
    return services;
}
