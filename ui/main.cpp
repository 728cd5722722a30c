#include "MainWindow.h"
#include "TerminationRequests.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The desktop entry and icon that an installed program has (none in a build folder).
    QApplication::setDesktopFileName(QStringLiteral("cz.serkon.Serkon"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("serkon")));
    TForm1 mainWindow;
    mainWindow.show();
    // A session that ends, or Ctrl+C in a terminal, closes the program as the user would.
    TerminationRequests termination;
    QObject::connect(&termination, &TerminationRequests::Requested, &mainWindow, &TForm1::EndProgram);
    return application.exec();
}
