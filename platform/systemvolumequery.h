#pragma once

#include "platform/mounttable.h"
#include "platform/volumequery.h"

#include <QHash>
#include <QMutex>

// The volume query of this system: the folder's mounted filesystem (by its device number in the
// mount table), its source device, then the medium's own label and serial. Folders on no block
// device fail, like a drive with no disc. Answers are kept per device while the mount table is
// unchanged, so a repeated query costs one stat and one poll.
class SystemVolumeQuery : public VolumeQuery
{
public:
    // caching false: every answer is a fresh query.
    explicit SystemVolumeQuery(bool caching = true);
    ~SystemVolumeQuery() override;
    SystemVolumeQuery(const SystemVolumeQuery &) = delete;
    SystemVolumeQuery &operator=(const SystemVolumeQuery &) = delete;

    bool GetVolumeInformation(const QString &rootPath, QString &label, quint32 &serial) override;
    bool GetVolumePathName(const QString &path, QString &root) override;
    // The same answer for the filesystem with this device number, wherever it is mounted.
    bool volumeOfDevice(quint64 device, QString &label, quint32 &serial);

    // The one query of the process, whose answers every caller shares.
    static SystemVolumeQuery &shared();

    // The longest label the query hands back.
    static constexpr int LabelLength = 13;

private:
    struct Answer
    {
        bool ok = false;
        QString label;
        quint32 serial = 0;
    };
    static Answer ask(quint64 folderDevice);
    // The mount table, kept while it is unchanged.
    std::vector<MountEntry> mountTable();
    // Drops every kept answer when the mount table changed since the last look.
    void forgetIfMountsChanged();

    int m_mountInfo = -1;
    QMutex m_mutex;
    QHash<quint64, Answer> m_answers;
    std::vector<MountEntry> m_table;
    bool m_tableKept = false;
};
