// What a configuration sequence needs from whoever runs it: a status line that it can set and
// have repainted at once, a chance to process pending events, and a short pause.
#pragma once

#include <QString>

class SequenceReporter {
public:
    virtual ~SequenceReporter() = default;

    virtual void SetStatusText(const QString& text) = 0;
    // Repaints the status line now, without waiting for the event loop.
    virtual void RepaintStatus() = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual void PauseOneMillisecond() = 0;
};
