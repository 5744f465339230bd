#pragma once

#include "window/main/services.h"

#include <QCoreApplication>
#include <QString>

class CatalogueList;
class QWidget;

// Export List...: asks where to save (catalogue.csv in the folder chosen last time, at first the
// home folder), then writes every row of the list, in the order shown, as CSV: UTF-8, a header
// row with the column names, fields quoted where they hold a comma, a quote or a line break,
// the size as a plain number of bytes, dates in ISO 8601 form, label and serial as stored.
class ExportCommand
{
    Q_DECLARE_TR_FUNCTIONS(ExportCommand)

public:
    ExportCommand(CatalogueList &list, SaveFileDialog saveFileName)
        : m_list(list), m_saveFileName(std::move(saveFileName))
    {}

    // A file that cannot be written gets the error box.
    void mnuExportList_Click(QWidget *parent);

private:
    // Writes the file beside its place and puts it there only when it is whole, so that a
    // failure leaves neither a part of it nor a changed older file. Raises PlatformError.
    void writeCsv(const QString &file) const;

    CatalogueList &m_list;
    SaveFileDialog m_saveFileName;
    QString m_folder;
};
