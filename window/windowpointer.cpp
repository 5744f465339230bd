#include "window/windowpointer.h"

#include <QWidget>

void WindowPointer::setMousePointer(int shape)
{
    m_shape = shape;
    if (shape == vbHourglass)
        m_window->setCursor(Qt::WaitCursor);
    else
        m_window->unsetCursor();
}
