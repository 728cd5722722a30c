#include "MainWindowFixture.h"

#include "core/IniFile.h"
#include "ui/ConfigWindow.h"

#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <optional>

using testdriver::CallsTo;
using testdriver::CurrentScript;

namespace {

// A main window whose program record cannot be created.
class WithoutRecord : public TForm1 {
protected:
    std::unique_ptr<TData> CreateRecord() override { return nullptr; }
};

} // namespace

TEST_F(MainWindow, StartsWithDefaultsAndBarePanelsWithoutASettingsFile)
{
    TForm1 window;
    window.show();
    ASSERT_NE(window.ProgramData(), nullptr);
    TData defaults;
    InitData(defaults);
    const TData& data = *window.ProgramData();
    EXPECT_EQ(data.InterfaceType, defaults.InterfaceType);
    EXPECT_EQ(data.ModuleAddress, defaults.ModuleAddress);
    EXPECT_EQ(data.Speed, defaults.Speed);
    EXPECT_EQ(data.ComPort, defaults.ComPort);
    EXPECT_EQ(data.IpAddress, defaults.IpAddress);
    EXPECT_EQ(data.StatusText, defaults.StatusText);
    EXPECT_EQ(data.ModelConfigs, defaults.ModelConfigs);

    EXPECT_EQ(Panel(window, 0), QStringLiteral(" Modul"));
    EXPECT_EQ(Panel(window, 1), QStringLiteral(" Adresa"));
    EXPECT_EQ(Panel(window, 2), QStringLiteral(" Rychlost"));
    EXPECT_EQ(Panel(window, 3), QString());
    EXPECT_EQ(window.windowTitle(), QStringLiteral(" SERKON konvertory (v.1.09) -  nastavení modulu"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("SERKON"));
    window.close();
}

TEST_F(MainWindow, MeasuresSixHundredByFourHundredWithItsFrameCentredOnTheScreen)
{
    TForm1 window;
    window.show();
    QCoreApplication::processEvents();  // mapped: the frame is known
    ASSERT_FALSE(window.windowHandle()->frameMargins().isNull());  // the offscreen platform's
    EXPECT_EQ(window.frameGeometry().size(), QSize(600, 400));
    EXPECT_EQ(window.frameGeometry().center(), window.screen()->availableGeometry().center());

    // Corrected once: a size the user gives it later stays.
    window.resize(700, 500);
    window.hide();
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(700, 500));
    window.close();
}

TEST_F(MainWindow, LastPanelTakesTheRestOfTheBarAndNoTextWidensTheWindow)
{
    TForm1 window;
    window.show();
    auto* bar = Child<StatusPanels>(&window, "StatusBar1");
    const int narrowest = window.minimumSizeHint().width();
    bar->SetPanelText(3, QString(300, u'x'));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(window.minimumSizeHint().width(), narrowest);

    const auto* last = Child<QLabel>(bar, "StatusPanel3");
    const QRect extent(last->mapTo(&window, QPoint()), last->size());
    EXPECT_TRUE(window.rect().contains(extent)) << extent.x() << ' ' << extent.width();
    EXPECT_GT(extent.width(), 50);  // more than its nominal width: the rest of the bar
    EXPECT_EQ(Child<QLabel>(bar, "StatusPanel0")->width(), 140);
    window.close();
}

TEST_F(MainWindow, MenuHoldsEveryEntryWithItsCaptionAndVisibility)
{
    TForm1 window;
    const std::vector<std::tuple<const char*, const char*, bool>> entries = {
        {"Pipojen1", "&Připojení", true},      {"Nastaven1", "&Typ", true},
        {"TypKQ3110", "KQ-3110", true},        {"TypKQ3120", "KQ-3120", true},
        {"TypKQ3130", "KQ-3130", true},        {"TypKq3140", "KQ-3140", true},
        {"TypKQ3210", "KQ-3210", true},        {"TypKQ3220", "KQ-3220", true},
        {"TypKQ3230", "KQ-3230", true},        {"TypRZ310", "RZ-310", false},
        {"Okamithodnoty1", "&Readme.txt", false}, {"Statusregistr1", "Status registr", false},
        {"Konec2", "&Konec", true},
    };
    for (const auto& [name, caption, visible] : entries) {
        const QAction* action = Child<QAction>(&window, name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption)) << name;
        EXPECT_EQ(action->isVisible(), visible) << name;
    }
    const QMenu* readme = Child<QMenu>(&window, "Okamithodnoty1");
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(readme->actions().size(), 4);
    for (const QAction* entry : readme->actions())
        EXPECT_FALSE(entry->isVisible());
}

TEST_F(MainWindow, SuccessfulConnectionShowsModuleAddressAndSpeed)
{
    StoreSettings(5, 9600);
    module.address = 5;
    module.name = "ABCDEFGH";
    module.version = "1.00";
    TForm1 window;
    window.show();
    UseConnectionDialog(window, true);

    EXPECT_EQ(Panel(window, 0), QStringLiteral(" Modul  ABCDEFGH v.1.00"));
    EXPECT_EQ(Panel(window, 1), QStringLiteral(" Adresa  5"));
    EXPECT_EQ(Panel(window, 2), QStringLiteral(" Rychlost  9600Bd"));
    EXPECT_TRUE(ConnectionReady(*window.ProgramData()));
    window.close();
}

TEST_F(MainWindow, StoredSpeedOutsideTheListIsStoredAs9600AfterAConnection)
{
    StoreSettings(0, 0);
    TForm1 window;
    window.show();
    EXPECT_EQ(window.ProgramData()->Speed, 0u);
    UseConnectionDialog(window, true);
    window.close();

    const std::optional<IniFile> stored = IniFile::Load(folder.SettingsPath());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->ReadString(QStringLiteral("Připojení"), QStringLiteral("Rychlost")),
              QStringLiteral("9600"));
}

TEST_F(MainWindow, CancelledDialogStillSetsThePanelsFromTheRecord)
{
    StoreSettings(7, 19200);
    TForm1 window;
    window.show();
    UseConnectionDialog(window, false);

    EXPECT_EQ(Panel(window, 0), QStringLiteral(" Modul  "));
    EXPECT_EQ(Panel(window, 1), QStringLiteral(" Adresa  7"));
    EXPECT_EQ(Panel(window, 2), QStringLiteral(" Rychlost  19200Bd"));
    EXPECT_TRUE(testdriver::Calls().empty());
    window.close();
}

TEST_F(MainWindow, ModuleNameWithBytesOfCodeZeroIsReadable)
{
    module.name = std::string("KQ31\0\0\0\0", 8);
    TForm1 window;
    window.show();
    UseConnectionDialog(window, true);
    EXPECT_EQ(Panel(window, 0), QStringLiteral(" Modul  KQ31···· v.1.09"));
    window.close();
}

TEST_F(MainWindow, ClosingStoresTheSettingsThenClosesTheConnectionOnce)
{
    StoreSettings(5, 9600);
    module.address = 5;
    TForm1 window;
    window.show();
    UseConnectionDialog(window, true);
    window.ProgramData()->ModuleAddress = 6;  // to tell the new file from the old

    int storedAddressAtDone = -1;
    CurrentScript().onDone = [&] {
        TData stored;
        InitData(stored);
        LoadSettingsFrom(folder.SettingsPath(), &stored);
        storedAddressAtDone = stored.ModuleAddress;
    };
    window.close();

    const auto done = CallsTo("Done");
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].args, (std::vector<int64_t>{CurrentScript().handleOnInit}));
    EXPECT_EQ(storedAddressAtDone, 6);
    EXPECT_EQ(window.ProgramData(), nullptr);

    window.close();  // a second close finds no record and does nothing
    EXPECT_EQ(CallsTo("Done").size(), 1u);
}

TEST_F(MainWindow, ClosingWithoutAConnectionLeavesTheDriverAlone)
{
    TForm1 window;
    window.show();
    window.close();
    EXPECT_TRUE(testdriver::Calls().empty());
    TData stored;
    InitData(stored);
    stored.ComPort = 9;
    ASSERT_TRUE(LoadSettingsFrom(folder.SettingsPath(), &stored));
    EXPECT_EQ(stored.ComPort, 1);  // the file was written from the record
}

TEST_F(MainWindow, FailedSaveIsReportedAndTheConnectionStillCloses)
{
    // A directory where the settings file should be cannot be replaced by a file.
    ASSERT_TRUE(QDir().mkpath(folder.SettingsPath()));
    TForm1 window;
    QStringList notices;
    window.SetSaveFailureNotice([&](const QString& reason) { notices << reason; });
    window.show();
    UseConnectionDialog(window, true);
    window.close();

    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("SERKON.ini"))) << notices[0].toStdString();
    EXPECT_EQ(CallsTo("Done").size(), 1u);
    EXPECT_EQ(window.ProgramData(), nullptr);
}

TEST_F(MainWindow, SuccessfulSaveBringsNoNotice)
{
    TForm1 window;
    int notices = 0;
    window.SetSaveFailureNotice([&](const QString&) { ++notices; });
    window.show();
    window.close();
    EXPECT_EQ(notices, 0);
}

TEST_F(MainWindow, WithoutARecordTheCommandsDoNothing)
{
    WithoutRecord window;
    window.show();
    EXPECT_EQ(window.ProgramData(), nullptr);
    EXPECT_EQ(Child<StatusPanels>(&window, "StatusBar1")->PanelText(3),
              QStringLiteral(" Nelze vytvořit datové struktury programu"));

    Child<QAction>(&window, "Pipojen1")->trigger();
    Child<QAction>(&window, "Statusregistr1")->trigger();
    EXPECT_EQ(window.findChild<TForm2*>(), nullptr);
    EXPECT_FALSE(window.findChild<TForm15*>()->isVisible());

    Child<QAction>(&window, "Konec2")->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFile::exists(folder.SettingsPath()));
}

TEST_F(MainWindow, StatusRegisterEntryOpensTheWindowOnTheRecord)
{
    StoreSettings(6, 9600);
    module.address = 6;
    module.statusRegister = {0x12, 0, 0, 0x80};
    TForm1 window;
    window.show();
    auto* statusWindow = window.findChild<TForm15*>();
    ASSERT_NE(statusWindow, nullptr);
    EXPECT_FALSE(statusWindow->isVisible());
    UseConnectionDialog(window, true);
    testdriver::Calls().clear();

    Trigger(window, "Statusregistr1");
    ASSERT_TRUE(statusWindow->isVisible());
    EXPECT_TRUE(statusWindow->isModal());
    EXPECT_TRUE(Child<QTimer>(statusWindow, "Timer1")->isActive());
    statusWindow->Timer1Timer();
    EXPECT_EQ(CallsTo("Send").at(0).request, (std::array<int32_t, 8>{6, 100, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Child<QLabel>(statusWindow, "Label34")->text(), QStringLiteral("1"));

    Child<QPushButton>(statusWindow, "Button1")->click();
    EXPECT_FALSE(statusWindow->isVisible());
    EXPECT_FALSE(Child<QTimer>(statusWindow, "Timer1")->isActive());
    window.close();
}

// The session that asks for the end may end the process while a window still runs its
// sequence, so the settings are stored at once; the program ends once the sequence is done.
TEST_F(MainWindow, EndingWhileASequenceRunsStoresTheSettingsAtOnceAndEndsAfterIt)
{
    StoreSettings(6, 9600);
    module.address = 6;
    TForm1 window;
    window.show();
    UseConnectionDialog(window, true);
    window.ProgramData()->ComPort = 7;  // a setting the sequence does not use
    Trigger(window, "TypKQ3110");
    auto* configWindow = window.findChild<ConfigWindow*>();
    ASSERT_NE(configWindow, nullptr);

    int transactions = 0;
    std::optional<TData> storedDuringTheSequence;
    bool openDuringTheSequence = false;
    auto inner = CurrentScript().module;
    CurrentScript().module = [&](const std::array<int32_t, 8>& request) {
        if (++transactions == 20) {
            window.EndProgram();
            storedDuringTheSequence = Stored();
            openDuringTheSequence = window.isVisible() && configWindow->isVisible();
        }
        return inner(request);
    };
    Child<QPushButton>(configWindow, "Button2")->click();
    EXPECT_EQ(transactions, 55);
    ASSERT_TRUE(storedDuringTheSequence);
    EXPECT_EQ(storedDuringTheSequence->ComPort, 7);
    EXPECT_TRUE(openDuringTheSequence);

    QCoreApplication::sendPostedEvents();  // the end asked for again once the window closed
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.ProgramData(), nullptr);
    EXPECT_EQ(CallsTo("Done").size(), 1u);
}
