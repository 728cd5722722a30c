#include "MainWindow.h"

#include "ConfigWindow.h"
#include "ConnectionDialog.h"
#include "ModelCatalogue.h"
#include "StatusPanels.h"
#include "StatusRegisterWindow.h"
#include "WindowStyle.h"

#include "config/Connection.h"
#include "core/Settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <array>
#include <new>

namespace {

enum Panel { PanelModule, PanelAddress, PanelSpeed, PanelState };

const QString ProgramTitle = QStringLiteral("SERKON");
constexpr QSize OuterSize(600, 400);  // frame and title bar included

struct MenuEntry {
    const char* name;
    const char* caption;
    bool visible;
    void (TForm1::*command)();
};

void AddEntries(QMenu* menu, TForm1* window, const MenuEntry* first, const MenuEntry* last)
{
    for (const MenuEntry* entry = first; entry != last; ++entry) {
        QAction* action = menu->addAction(QString::fromUtf8(entry->caption));
        action->setObjectName(QString::fromUtf8(entry->name));
        action->setVisible(entry->visible);
        if (entry->command)
            QObject::connect(action, &QAction::triggered, window, entry->command);
    }
}

QMenu* AddSubmenu(QMenuBar* bar, const char* name, const char* caption, bool visible)
{
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setVisible(visible);
    return menu;
}

void ShowSaveFailureBox(QWidget* parent, const QString& reason)
{
    QMessageBox::warning(parent, ProgramTitle,
                         QStringLiteral("Nastavení připojení se nepodařilo uložit.\n\n") + reason);
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" SERKON konvertory (v.1.09) -  nastavení modulu"));
    ApplyProgramFont(this);
    BuildMenu();
    BuildStatusBar();
    SetOuterSize(this, OuterSize);
    saveFailureNotice_ = [this](const QString& reason) { ShowSaveFailureBox(this, reason); };

    // The status register window exists from the start and stays hidden until it is opened.
    statusWindow_ = new TForm15(this);
}

TForm1::~TForm1() = default;

void TForm1::BuildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QAction* connection = bar->addAction(QStringLiteral("&Připojení"));
    connection->setObjectName(QStringLiteral("Pipojen1"));
    connect(connection, &QAction::triggered, this, &TForm1::Pipojen1Click);

    QMenu* models = AddSubmenu(bar, "Nastaven1", "&Typ", true);
    for (const ModelDescription& description : ModelCatalogue()) {
        QAction* action = models->addAction(QString::fromUtf8(description.model));
        action->setObjectName(QString::fromUtf8(description.menuEntry));
        action->setVisible(description.menuVisible);
        connect(action, &QAction::triggered, this,
                [this, &description] { OpenModelWindow(description); });
    }

    static const std::array<MenuEntry, 4> Readme = {{
        {"Analogovvstupy1", "Analogové vstupy", false, nullptr},
        {"Digitlnvstupy1", "Digitální vstupy", false, nullptr},
        {"Digitlnvstupy2", "Digitální výstupy", false, nullptr},
        {"Statusregistr1", "Status registr", false, &TForm1::Statusregistr1Click},
    }};
    QMenu* readme = AddSubmenu(bar, "Okamithodnoty1", "&Readme.txt", false);
    AddEntries(readme, this, Readme.begin(), Readme.end());

    QAction* quit = bar->addAction(QStringLiteral("&Konec"));
    quit->setObjectName(QStringLiteral("Konec2"));
    connect(quit, &QAction::triggered, this, &TForm1::Konec2Click);
}

void TForm1::BuildStatusBar()
{
    statusBar1_ = new StatusPanels({140, 80, 120, 50}, this);
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(statusBar1_);
    statusBar1_->SetPanelText(PanelModule, QStringLiteral(" Modul"));
    statusBar1_->SetPanelText(PanelAddress, QStringLiteral(" Adresa"));
    statusBar1_->SetPanelText(PanelSpeed, QStringLiteral(" Rychlost"));
}

void TForm1::SetSaveFailureNotice(SaveFailureNotice notice)
{
    saveFailureNotice_ = std::move(notice);
}

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

std::unique_ptr<TData> TForm1::CreateRecord()
{
    return std::unique_ptr<TData>(new (std::nothrow) TData());
}

void TForm1::FormShow()
{
    programData_ = CreateRecord();
    if (!programData_) {
        statusBar1_->SetPanelText(PanelState,
                                  QStringLiteral(" Nelze vytvořit datové struktury programu"));
    } else {
        InitData(*programData_);
        LoadSettings(programData_.get());
    }
    QCoreApplication::setApplicationName(ProgramTitle);
}

void TForm1::FormClose()
{
    if (!programData_)
        return;
    statusWindow_->SetProgramData(nullptr);
    statusWindow_->hide();

    QString failure;
    const bool saved = SaveSettings(programData_.get(), &failure);

    CloseConnection(*programData_);
    programData_.reset();

    // The settings are lost unless the user learns of it now, before the program ends.
    if (!saved && saveFailureNotice_)
        saveFailureNotice_(failure);
}

void TForm1::EndProgram()
{
    ending_ = true;
    QWidget* closed = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == closed || !modal->close())
            break;
        closed = modal;
    }
    if (QApplication::activeModalWidget() == nullptr) {
        close();
        return;
    }
    // A window busy with a sequence closes when it has finished, but the session that asked for
    // the end may end the process before that (Windows may at once), so the settings are stored
    // now as well.
    if (programData_)
        SaveSettings(programData_.get());
}

void TForm1::ShowModal(QDialog* window, const std::function<void()>& afterClose)
{
    window->setWindowModality(Qt::ApplicationModal);
    connect(window, &QDialog::finished, this, [this, window, afterClose] {
        if (afterClose)
            afterClose();
        window->deleteLater();
        if (ending_)
            QMetaObject::invokeMethod(this, &TForm1::EndProgram, Qt::QueuedConnection);
    });
    window->show();
}

void TForm1::ShowConnectionPanels()
{
    const TData& record = *programData_;
    statusBar1_->SetPanelText(PanelModule,
                              QStringLiteral(" Modul  ") + DisplayModuleName(record.ModuleName));
    statusBar1_->SetPanelText(PanelAddress,
                              QStringLiteral(" Adresa  ") + QString::number(record.ModuleAddress));
    statusBar1_->SetPanelText(PanelSpeed, QStringLiteral(" Rychlost  ")
                                              + QString::number(record.Speed) + QStringLiteral("Bd"));
}

void TForm1::Pipojen1Click()
{
    if (!programData_)
        return;
    auto* dialog = new TForm2(this);
    dialog->SetProgramData(programData_.get());
    ShowModal(dialog, [this] {
        if (programData_)
            ShowConnectionPanels();
    });
}

void TForm1::OpenModelWindow(const ModelDescription& model)
{
    if (!programData_)
        return;
    auto* window = new ConfigWindow(model, this);
    window->SetProgramData(programData_.get());
    ShowModal(window);
}

void TForm1::Statusregistr1Click()
{
    if (!programData_)
        return;
    statusWindow_->SetProgramData(programData_.get());
    statusWindow_->setWindowModality(Qt::ApplicationModal);
    statusWindow_->show();
}

void TForm1::Konec2Click()
{
    close();
}
