#include "MainWindow.h"

#include "core/Settings.h"

#include <QCloseEvent>

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" SERKON konvertory (v.1.09) -  nastavení modulu"));
    resize(600, 400);
}

TForm1::~TForm1() = default;

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TForm1::FormShow()
{
    programData_ = std::make_unique<TData>();
    InitData(*programData_);
    LoadSettings(programData_.get());
}

void TForm1::FormClose()
{
    if (!programData_)
        return;
    SaveSettings(programData_.get());
    programData_.reset();
}
