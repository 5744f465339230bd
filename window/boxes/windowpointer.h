#pragma once

#include "window/boxes/mousepointer.h"

class QWidget;

// The mouse pointer over one window: 11 shows the wait cursor, 0 the normal one.
class WindowPointer : public MousePointer
{
public:
    explicit WindowPointer(QWidget *window) : m_window(window) {}
    void setMousePointer(int shape) override;
    int mousePointer() const override { return m_shape; }

private:
    QWidget *m_window;
    int m_shape = vbDefault;
};
