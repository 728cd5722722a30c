// The windows against the simulated module, reached over UDP through the real LAN converter
// driver library.
#include "Children.h"

#include "tests/support/ProgramFolder.h"
#include "tests/support/SimulatorRecord.h"

#include "Module.h"
#include "Servers.h"

#include "config/Connection.h"
#include "core/Settings.h"
#include "drivers/DriverBinding.h"
#include "ui/ConnectionDialog.h"
#include "ui/MainWindow.h"
#include "ui/StatusPanels.h"
#include "ui/StatusRegisterWindow.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class AgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Listening()) << server.Failure(); }

    TData LanRecord(uint8_t address, int32_t udpTimeout = 2000) const
    {
        return SimulatorRecord(server.Port(), address, udpTimeout);
    }
    void StoreSettings(uint8_t address, int32_t udpTimeout = 2000) const
    {
        const TData stored = LanRecord(address, udpTimeout);
        ASSERT_TRUE(SaveSettingsTo(folder.SettingsPath(), &stored));
    }
    QString ModuleName() const
    {
        const sim::Identity identity = module.GetIdentity();
        return QString::fromStdString(identity.name + " v." + identity.version);
    }
    // Opens the connection dialog of the main window and presses "Inicializace připojení".
    // Returns the dialog's status panel text; the dialog is closed afterwards.
    static QString ConnectFromTheMenu(TForm1& window)
    {
        Child<QAction>(&window, "Pipojen1")->trigger();
        auto* dialog = window.findChild<TForm2*>();
        if (!dialog)
            return {};
        Child<QPushButton>(dialog, "Button1")->click();
        const QString outcome = Child<QLabel>(dialog, "Panel1")->text();
        Child<QPushButton>(dialog, "Button2")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return outcome;
    }
    static QString Panel(const TForm1& window, int panel)
    {
        return Child<StatusPanels>(&window, "StatusBar1")->PanelText(panel);
    }

    ProgramFolder folder;
    sim::Module module{"KQ-3110", 5};
    sim::UdpServer server{module};
};

} // namespace

TEST_F(AgainstSimulator, MainWindowConnectsAndShowsTheModule)
{
    StoreSettings(5);
    TForm1 window;
    window.show();
    EXPECT_EQ(ConnectFromTheMenu(window),
              QStringLiteral("Připojení úspěšně inicializováno. Připojen modul   ") + ModuleName());
    EXPECT_EQ(Panel(window, 0), QStringLiteral(" Modul  ") + ModuleName());
    EXPECT_EQ(Panel(window, 1), QStringLiteral(" Adresa  5"));
    EXPECT_EQ(Panel(window, 2), QStringLiteral(" Rychlost  9600Bd"));
    EXPECT_GE(module.GetCounters().replies, 3u);

    window.close();
    TData stored;
    InitData(stored);
    ASSERT_TRUE(LoadSettingsFrom(folder.SettingsPath(), &stored));
    EXPECT_EQ(stored.InterfaceType, InterfaceLan);
    EXPECT_EQ(stored.UdpPort, server.Port());
    EXPECT_EQ(stored.ModuleAddress, 5);
}

TEST_F(AgainstSimulator, SilentAddressIsReportedByTheDriversText)
{
    StoreSettings(7, 50);  // the module listens at 5
    TForm1 window;
    window.show();
    EXPECT_EQ(ConnectFromTheMenu(window),
              QStringLiteral("Modul neodpovídá - zkontrolujte adresu, rychlost a zapojení"));
    EXPECT_FALSE(ConnectionReady(*window.ProgramData()));
    EXPECT_EQ(Panel(window, 0), QStringLiteral(" Modul  "));
    window.close();
}

TEST_F(AgainstSimulator, StatusWindowShowsAndClearsTheModulesBits)
{
    TData data = LanRecord(5);
    ASSERT_TRUE(InitializeConnection(data, ConnectionInputFromRecord(data)).connected);
    module.SetStatus(0x80000012);

    TForm15 window;
    window.SetProgramData(&data);
    window.show();
    window.Timer1Timer();
    EXPECT_EQ(Child<QLabel>(&window, "Label34")->text(), QStringLiteral("1"));   // FN
    EXPECT_EQ(Child<QLabel>(&window, "Label37")->text(), QStringLiteral("1"));   // PWR
    EXPECT_EQ(Child<QLabel>(&window, "Label64")->text(), QStringLiteral("1"));   // byte 3, bit 7
    EXPECT_EQ(Child<QLabel>(&window, "Label33")->text(), QStringLiteral("0"));
    EXPECT_EQ(Child<StatusPanels>(&window, "StatusBar1")->PanelText(0), QStringLiteral(" V pořádku"));

    Child<QPushButton>(&window, "Button2")->click();
    EXPECT_EQ(module.Status(), 0u);
    window.Timer1Timer();
    for (const char* bit : {"Label34", "Label37", "Label64"})
        EXPECT_EQ(Child<QLabel>(&window, bit)->text(), QStringLiteral("0")) << bit;

    window.hide();
    CloseDriver(data.InterfaceType, &data.DriverHandle);
}
