#pragma once

#include <QObject>

#include <signal.h>

class QSocketNotifier;

// SIGTERM (the desktop session ends), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal
// goes), caught so that the program ends as its Exit does rather than where it stands. The
// handler only writes the signal's number into a pipe; the event loop reads it there and emits
// received(), so everything the end does runs in the loop, as for a click. One at a time: made,
// it takes the three signals over; gone, it gives them back to what had them before.
class EndSignals : public QObject
{
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

    static constexpr int Caught[] = {SIGTERM, SIGINT, SIGHUP};

Q_SIGNALS:
    void received(int signal);

private:
    void readPipe();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[3];
};
