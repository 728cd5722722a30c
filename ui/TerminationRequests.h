// The requests to end the program that come as signals: SIGTERM from a desktop session that
// logs out or shuts down, SIGHUP when the terminal it was started from goes away, SIGINT for
// Ctrl+C. Each is turned into the signal Requested() on the event loop, so the program can end
// as closing its main window does, storing its settings. A second signal of the same kind ends
// the program at once, as if none were caught. A signal ignored when the program started
// (nohup ignores SIGHUP) stays ignored, and each signal gets back the action it had before
// when the object goes. On Windows the request is the end of the user's session instead
// (TerminationRequestsWindows.cpp).
#pragma once

#include <QObject>

#include <memory>

class TerminationRequests : public QObject {
    Q_OBJECT

public:
    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

signals:
    void Requested();

private:
    // What the platform's file keeps while the requests are watched for.
    struct Watch;
    std::unique_ptr<Watch> watch_;
};
