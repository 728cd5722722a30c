// Windows: the end of the user's session. A logoff, shutdown or restart, and an installer that
// has the Restart Manager close the program, send WM_QUERYENDSESSION and then WM_ENDSESSION to
// every top-level window. Once WM_ENDSESSION with wParam TRUE returns, Windows may end the process
// at any time, so Requested() is emitted from inside that message: what it is connected to (the
// main window storing its settings) has run when the message returns. Qt's window procedure
// hands every message to the native event filters before it handles the message itself.
//
// A program of the windows subsystem has no console, so there is no Ctrl+C to catch.
#include "TerminationRequests.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

#include <windows.h>

namespace {

class SessionEnd final : public QAbstractNativeEventFilter {
public:
    explicit SessionEnd(TerminationRequests& requests) : requests_(requests)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~SessionEnd() override
    {
        if (QCoreApplication* application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG& msg = *static_cast<const MSG*>(message);
        // Every top-level window gets its own copy; wParam FALSE: the end was called off.
        if (msg.message == WM_ENDSESSION && msg.wParam != FALSE && !ended_) {
            ended_ = true;
            emit requests_.Requested();
        }
        // Qt's own handling goes on: it answers WM_QUERYENDSESSION and leaves its event loop.
        return false;
    }

private:
    TerminationRequests& requests_;
    bool ended_ = false;
};

} // namespace

struct TerminationRequests::Watch {
    explicit Watch(TerminationRequests& requests) : sessionEnd(requests) {}
    SessionEnd sessionEnd;
};

TerminationRequests::TerminationRequests(QObject* parent)
    : QObject(parent), watch_(std::make_unique<Watch>(*this))
{
    // From WM_QUERYENDSESSION on, Qt keeps the user's input from the windows unless the program
    // asks to interact; the program may have to tell, from inside WM_ENDSESSION, that its
    // settings could not be stored.
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this,
                [](QSessionManager& manager) { manager.allowsErrorInteraction(); });
    }
}

TerminationRequests::~TerminationRequests() = default;
