// Windows: the end of the user's session. Qt's window procedure hands each message to the native
// event filters first; on the offscreen platform the windows have no HWND, so the messages are
// handed to the filters here as that window procedure hands them.
#include "MainWindowFixture.h"

#include "ui/TerminationRequests.h"

#include <QAbstractEventDispatcher>

#include <windows.h>

namespace {

// True when a filter took the message from Qt.
bool Deliver(UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    qintptr result = 0;
    return QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
}

class SessionEnd : public MainWindow {
protected:
    void SetUp() override
    {
        MainWindow::SetUp();
        QObject::connect(&termination, &TerminationRequests::Requested, &window, &TForm1::EndProgram);
        QObject::connect(&termination, &TerminationRequests::Requested, [this] { ++requests; });
        ConnectAndOpenWindowsAbove(window);
    }

    TForm1 window;
    TerminationRequests termination;
    int requests = 0;
};

} // namespace

// Windows may end the process once WM_ENDSESSION returns: catches settings stored later, from
// the event loop, or not at all; and an end asked for once per top-level window.
TEST_F(SessionEnd, TheSettingsAreStoredBeforeTheEndOfTheSessionReturns)
{
    EXPECT_FALSE(Deliver(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));  // Qt answers it
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(StoredAddress(), 6);

    EXPECT_FALSE(Deliver(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));
    ExpectEnded(window);
    Deliver(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);  // the copy for another top-level window
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(testdriver::CallsTo("Done").size(), 1u);
}

// Catches a program that ends when another program called the end off.
TEST_F(SessionEnd, AnEndCalledOffLeavesTheProgramAsItWas)
{
    Deliver(WM_QUERYENDSESSION, 0, 0);
    Deliver(WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(requests, 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_NE(window.ProgramData(), nullptr);
    EXPECT_EQ(StoredAddress(), 6);

    // A shutdown later ends it.
    Deliver(WM_QUERYENDSESSION, 0, 0);
    Deliver(WM_ENDSESSION, TRUE, 0);
    ExpectEnded(window);
}
