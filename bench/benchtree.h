#pragma once

#include "catalogue/catalogue.h"
#include "indexing/folderindexer.h"
#include "indexing/indexingreport.h"

#include <QByteArray>
#include <QtGlobal>

// The tree of files the indexing benchmarks walk, and find's time on it to compare with.
namespace BenchTree {

// The tree's size: BENCH_FILES, else 100,000.
int fileCount();
// 100 folders of 10 sub-folders of files, names of realistic length, file i of size 1000 + i.
void make(const QByteArray &root, int files);
// The path of file i of such a tree.
QByteArray filePath(const QByteArray &root, int i);
// The best of three runs of find printing each file's size and times.
double timeFind(const QByteArray &root);

// A folder that fails ends the benchmark: its figures would not be the whole tree's.
struct FailingReport : IndexingReport
{
    void progress(const IndexingProgress &progress) override { last = progress; }
    void folderFailed(int number, const QString &description, const QString &) override;
    void runFailed(int number, const QString &description, const QString &) override;
    IndexingProgress last; // the counts of the last run
};

// The catalogue file opened as the program opens it, and an indexer of the system's own
// pieces on it that fails on any error.
struct Indexing
{
    explicit Indexing(const QString &catalogueFile);
    Catalogue catalogue;
    FailingReport failures;
    FolderIndexer indexer;
};

} // namespace BenchTree
