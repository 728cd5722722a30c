#include "MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    TForm1 mainWindow;
    mainWindow.show();
    return application.exec();
}
