#pragma once

#include <QString>

#include <functional>

class FileMetadataReader;
class FolderLister;
class MountedMedia;
class ProgramLauncher;
class FileOpener;
class VolumeQuery;
class QWidget;

// The save-file dialog over parent: the file chosen, or the empty text when it was cancelled.
// proposed is the folder and name to start from.
using SaveFileDialog =
    std::function<QString(QWidget *parent, const QString &title, const QString &proposed)>;

// What the main window is given of the system, once, when it is made; tests give their own.
struct Services
{
    // The system's own pieces, with the executable's folder and an end that stops at once.
    static Services system();

    QString appPath; // the folder of data.mdb
    FileOpener *opener;
    ProgramLauncher *launcher;
    VolumeQuery *volumes;
    MountedMedia *media; // where a file is looked for when its disc is mounted elsewhere
    FolderLister *lister;
    FileMetadataReader *metadata;
    std::function<void(int status)> endProcess;
    SaveFileDialog saveFileName;
    // Whether discs mounted while the program runs are offered for cataloguing.
    bool offerNewDiscs = false;
    // Whether the load shows the window at once and reads the rows behind it.
    bool fillBehind = false;
};
