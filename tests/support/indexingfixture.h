#pragma once

#include "indexing/folderindexer.h"
#include "platform/filemetadata.h"
#include "platform/folderlister.h"
#include "platform/mousepointer.h"
#include "platform/volumequery.h"
#include "support/queueddialogs.h"
#include "window/workspace.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>

// A volume query answering "DATA1", 1234-5678 (unless told not to answer) for every folder, and
// remembering what it was asked.
class FixedVolumeQuery : public VolumeQuery
{
public:
    bool GetVolumeInformation(const QString &rootPath, QString &label, quint32 &serial) override;
    bool answers = true;
    QStringList asked;
};

// Every shape the pointer was given, in order.
class PointerLog : public MousePointer
{
public:
    void setMousePointer(int shape) override { shapes.append(shape); }
    int mousePointer() const override { return shapes.isEmpty() ? vbDefault : shapes.last(); }
    QList<int> shapes;
};

// A catalogue of the test's own (opened as the main window opens it), a folder to build trees
// in, and an indexer with a fixed volume query.
class IndexingFixture
{
public:
    IndexingFixture();

    QString tree() const { return m_trees.path(); }
    // Makes a file (and its folders) under tree() with this many bytes (sparse).
    QString makeFile(const QString &relative, qint64 size = 1);
    // Runs SQL on the catalogue; false (and a warning) on an engine error.
    bool exec(const QString &sql);
    // The catalogue's rows by ID, each as its texts joined by "|" (NULL as "<null>").
    QStringList rows(const QString &columns = QStringLiteral("Path, File, Archive, Serial"));

    QueuedDialogs boxes;
    PointerLog pointer;
    FixedVolumeQuery volume;
    Workspace workspace{pointer};
    FolderIndexer indexer{
        workspace.cnCatalogue, workspace.rsFiles,         workspace.colIndexed, pointer, volume,
        systemFolderLister(),  systemFileMetadataReader()};

private:
    QTemporaryDir m_catalogue;
    QTemporaryDir m_trees;
};
