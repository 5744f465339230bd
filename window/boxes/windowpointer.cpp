#include "window/boxes/windowpointer.h"

#include <QWidget>

void WindowPointer::setMousePointer(int shape)
{
    m_shape = shape;
    if (shape == vbHourglass)
        m_window->setCursor(Qt::WaitCursor);
    else if (shape == vbArrowHourglass)
        m_window->setCursor(Qt::BusyCursor);
    else
        m_window->unsetCursor();
}
