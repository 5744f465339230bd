#include "window/discs/newdiscoffer.h"

#include "catalogue/catalogue.h"
#include "catalogue/mediumrows.h"
#include "indexing/volumeid.h"
#include "platform/mountedmedia.h"
#include "platform/platformerror.h"
#include "window/boxes/messagebox.h"

#include <QSettings>

const char NewDiscOffer::DoNotAskKey[] = "NewDisc/DoNotAsk";

NewDiscOffer::NewDiscOffer(Catalogue &catalogue, MountedMedia &media, std::function<bool()> busy,
                           std::function<void(const QString &)> index, QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_media(media), m_busy(std::move(busy)),
      m_index(std::move(index))
{
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &NewDiscOffer::offerWaiting);
}

void NewDiscOffer::mounted(const QString &root)
{
    if (!m_waiting.contains(root))
        m_waiting.append(root);
    // From the event loop, never in the middle of what reported the mount.
    if (!m_later.isActive())
        m_later.start(0);
}

void NewDiscOffer::offerWaiting()
{
    if (m_asking)
        return; // the box up now is asked again about the rest when it closes
    if (m_busy && m_busy()) {
        m_later.start(WaitMs);
        return;
    }
    m_asking = true;
    while (!m_waiting.isEmpty())
        offer(m_waiting.takeFirst());
    m_asking = false;
}

void NewDiscOffer::offer(const QString &root)
{
    QSettings settings(QStringLiteral("Vellumark"), QStringLiteral("Vellumark"));
    if (settings.value(QLatin1String(DoNotAskKey)).toBool())
        return;
    QString label, serial;
    bool found = false;
    for (const MountedMedium &medium : m_media.list()) {
        if (medium.root == root && medium.userVisible) {
            FormatVolumeId(medium.label, medium.serial, label, serial);
            found = true;
            break;
        }
    }
    if (!found)
        return; // taken out again, not one the Discs window lists, or not identified
    try {
        if (m_catalogue.mediumRows().holdsAny(label.toUtf8(), serial.toUtf8()))
            return;
    } catch (const PlatformError &) {
        return; // a catalogue that cannot be read now is not asked to take a disc
    }
    bool doNotAsk = false;
    const BoxAnswer answer = showBox(
        tr("The disc \"%1\" was mounted at %2. Catalogue it now?").arg(label, root),
        tr("New Disc"), BoxButtons::YesNo, tr("Do not ask again"),
        doNotAsk);
    if (doNotAsk)
        settings.setValue(QLatin1String(DoNotAskKey), true);
    if (answer == BoxAnswer::Yes && m_index)
        m_index(root);
}
