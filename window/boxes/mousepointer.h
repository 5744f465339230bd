#pragma once

// The main window's mouse pointer as the commands set it: 11 busy (hourglass), 0 default, and
// 13 (arrow and hourglass) while a run goes on beside the window, which stays in use.
enum MousePointerShape { vbDefault = 0, vbHourglass = 11, vbArrowHourglass = 13 };

class MousePointer
{
public:
    virtual ~MousePointer() = default;
    virtual void setMousePointer(int shape) = 0;
    virtual int mousePointer() const = 0;
};

// A pointer that only remembers its shape: for tests and for work done without a window.
class RecordedPointer : public MousePointer
{
public:
    void setMousePointer(int shape) override { m_shape = shape; }
    int mousePointer() const override { return m_shape; }

private:
    int m_shape = vbDefault;
};
