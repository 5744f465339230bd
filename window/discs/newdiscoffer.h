#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class Catalogue;
class MountedMedia;

// Offers to catalogue a disc mounted while the program runs when the catalogue holds none of its
// rows: a box titled "New Disc" (Yes/No) with a check box "Do not ask again", which is kept in
// the program's settings. No box comes while another command runs: the offer waits until it has
// ended. Yes hands the disc's mount point to be indexed.
class NewDiscOffer : public QObject
{
    Q_OBJECT
public:
    NewDiscOffer(Catalogue &catalogue, MountedMedia &media, std::function<bool()> busy,
                 std::function<void(const QString &root)> index, QObject *parent = nullptr);

    // A medium was mounted on root. Only one the Discs window lists (one a file manager shows)
    // is offered.
    void mounted(const QString &root);

    // The setting that "Do not ask again" sets.
    static const char DoNotAskKey[];
    // How long an offer waits before it looks again whether the command running has ended.
    static constexpr int WaitMs = 250;

private:
    void offerWaiting();
    void offer(const QString &root);

    Catalogue &m_catalogue;
    MountedMedia &m_media;
    std::function<bool()> m_busy;
    std::function<void(const QString &)> m_index;
    QStringList m_waiting;
    QTimer m_later;
    bool m_asking = false;
};
