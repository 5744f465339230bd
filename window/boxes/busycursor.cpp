#include "window/boxes/busycursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

int held[3]; // by kind
bool shown = false;

// One override cursor at most, whatever the order in which the holders go.
void apply()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return; // no windows, no pointer
    const bool wanted = (held[BusyCursor::Command] > 0 || held[BusyCursor::Beside] > 0) &&
                        held[BusyCursor::Waiting] == 0;
    const QCursor cursor(held[BusyCursor::Command] > 0 ? Qt::WaitCursor : Qt::BusyCursor);
    if (wanted && !shown)
        QGuiApplication::setOverrideCursor(cursor);
    else if (wanted)
        QGuiApplication::changeOverrideCursor(cursor);
    else if (shown)
        QGuiApplication::restoreOverrideCursor();
    shown = wanted;
}

} // namespace

BusyCursor::BusyCursor(Kind kind) : m_kind(kind)
{
    ++held[m_kind];
    apply();
}

BusyCursor::~BusyCursor()
{
    --held[m_kind];
    apply();
}
