// Linux: the signals that end the program.
#include "MainWindowFixture.h"

#include "ui/TerminationRequests.h"

#include <QEventLoop>
#include <QTimer>

#include <csignal>

TEST_F(MainWindow, ATerminationSignalClosesTheWindowsAboveAndStoresTheSettings)
{
    TForm1 window;
    TerminationRequests termination;
    QObject::connect(&termination, &TerminationRequests::Requested, &window, &TForm1::EndProgram);
    ConnectAndOpenWindowsAbove(window);

    // What a desktop session sends as it ends, taken by the event loop.
    QEventLoop loop;
    QObject::connect(&termination, &TerminationRequests::Requested, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    std::raise(SIGTERM);
    loop.exec();

    ExpectEnded(window);
}
