#include "MainWindow.h"
#include "TerminationRequests.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    TForm1 mainWindow;
    mainWindow.show();
    // A session that ends, or Ctrl+C in a terminal, closes the program as the user would.
    TerminationRequests termination;
    QObject::connect(&termination, &TerminationRequests::Requested, &mainWindow, &TForm1::EndProgram);
    return application.exec();
}
