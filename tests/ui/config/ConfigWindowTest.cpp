#include "WindowFixture.h"

#include "config/StatusTexts.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>

namespace {

const QString SpeedMessage = QStringLiteral(" Komunikační rychlost musí být v rozsahu 300-500000 Bd.");
const QString FormatMessage =
    QStringLiteral(" Chybné zadání přesahu (ověřte desetinnou tečku resp. čárku).");
const QString RangeMessage = QStringLiteral(" Přesah musí být v rozsahu 0-65 ms.");
const QString NotConnected = QStringLiteral(" Připojení k modulu není inicializováno.");

using ConfigWindowTest = WindowTest;

TEST_F(ConfigWindowTest, ShowsTheSlotAndLeavesTheAllWellState)
{
    data.ModelConfigs[0].BaudIndex = 9;
    data.ModelConfigs[0].CustomBaud = 250000;
    data.ModelConfigs[0].OverhangUs = 1500;
    data.ModelConfigs[0].Note = QStringLiteral("Hala 3  ");
    Open("KQ-3110");
    EXPECT_EQ(BaudList()->currentText(), QStringLiteral("Volitelná"));
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("250000"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("1,500"));
    EXPECT_EQ(Edit("Edit3")->text(), QStringLiteral("Hala 3  "));
    EXPECT_EQ(window->StatusText(), QStringLiteral(" "));
    EXPECT_EQ(window->WorkConfig(), data.ModelConfigs[0]);
}

TEST_F(ConfigWindowTest, OkStoresTheEntriesIntoTheSlotAndCloses)
{
    Open("KQ-3110");
    TxList()->setCurrentIndex(2);
    RxList()->setCurrentIndex(0);
    List("ComboBox6")->setCurrentIndex(1);
    Edit("Edit1")->setText(QStringLiteral("300"));
    Edit("Edit2")->setText(QStringLiteral("0,700"));
    Edit("Edit3")->setText(QStringLiteral("abc"));
    Click("Button3");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    const TZEMO& slot = data.ModelConfigs[0];
    EXPECT_EQ(slot.TxMode, 2);
    EXPECT_EQ(slot.RxMode, 0);
    EXPECT_EQ(slot.StopBitsIndex, 1);
    EXPECT_EQ(slot.CustomBaud, 300u);
    EXPECT_EQ(slot.OverhangUs, 700u);
    EXPECT_EQ(slot.Note, QStringLiteral("abc") + QString(50, QLatin1Char(' ')));

    // Reopened, the note edit holds the blanks, and each further "Ok" adds another 50.
    Open("KQ-3110");
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("0,700"));
    EXPECT_EQ(Edit("Edit3")->text().size(), 53);
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[0].Note.size(), 103);
    EXPECT_EQ(data.ModelConfigs[1], DefaultModelConfig());
}

TEST_F(ConfigWindowTest, ChecksInOrderAndKeepsTheWindowOpenOnAFailure)
{
    Open("KQ-3110");
    const TZEMO before = data.ModelConfigs[0];
    struct Case {
        const char* customBaud;
        const char* holdTime;
        QString message;
    };
    const Case cases[] = {
        {"abc", "0,200", SpeedMessage},  // with the list speed "9600" selected
        {"299", "0,200", SpeedMessage},  {"500001", "0,200", SpeedMessage},
        {"", "0,200", SpeedMessage},     {"9600,5", "0,200", SpeedMessage},
        {"abc", "xyz", SpeedMessage},    // only the first failing check speaks
        {"9600", "0.200", FormatMessage}, {"9600", "", FormatMessage},
        {"9600", "65,001", RangeMessage}, {"9600", "-0,001", RangeMessage},
    };
    for (const Case& c : cases) {
        Edit("Edit1")->setText(QString::fromUtf8(c.customBaud));
        Edit("Edit2")->setText(QString::fromUtf8(c.holdTime));
        Click("Button3");
        EXPECT_EQ(window->StatusText(), c.message) << c.customBaud << ' ' << c.holdTime;
        EXPECT_FALSE(Closed());
        EXPECT_EQ(window->WorkConfig(), before);
        EXPECT_EQ(Edit("Edit1")->text(), QString::fromUtf8(c.customBaud)); // untouched
    }
    EXPECT_EQ(data.ModelConfigs[0], before);

    Edit("Edit1")->setText(QStringLiteral("500000"));
    Edit("Edit2")->setText(QStringLiteral("0,0004"));
    Click("Button3");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(data.ModelConfigs[0].CustomBaud, 500000u);
    EXPECT_EQ(data.ModelConfigs[0].OverhangUs, 0u);
}

TEST_F(ConfigWindowTest, HoldTimeFollowsTheRegionalSeparatorBothWays)
{
    data.ModelConfigs[0].OverhangUs = 65000;
    Open("KQ-3110", QLatin1Char('.'));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("65.000"));
    Edit("Edit2")->setText(QStringLiteral("0,200"));
    Click("Button3");
    EXPECT_EQ(window->StatusText(), FormatMessage);
    Edit("Edit2")->setText(QStringLiteral("0.200"));
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[0].OverhangUs, 200u);

    Open("KQ-3110", QLatin1Char(','));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("0,200"));
    Edit("Edit2")->setText(QStringLiteral("65"));
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[0].OverhangUs, 65000u);
}

TEST_F(ConfigWindowTest, HoldTimeSeparatorComesFromTheRegionalSettings)
{
    // The program never sets a default locale, so the default is the system's; a test sets one.
    struct DefaultLocale {
        explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
        ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
    };
    struct Case {
        QLocale locale;
        const char* shown;  // the record's 1500 us as the window shows it
        const char* foreign;
        const char* own;
        uint32_t stored;
    };
    const Case cases[] = {
        {QLocale(QLocale::Czech, QLocale::Czechia), "1,500", "0.700", "0,700", 700},
        {QLocale(QLocale::English, QLocale::UnitedStates), "1.500", "0,200", "0.200", 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        const DefaultLocale locale(c.locale);
        data.ModelConfigs[0].OverhangUs = 1500;
        Open("KQ-3110", std::nullopt);
        EXPECT_EQ(Edit("Edit2")->text(), QString::fromLatin1(c.shown));
        Edit("Edit2")->setText(QString::fromLatin1(c.foreign));
        Click("Button3");
        EXPECT_EQ(window->StatusText(), FormatMessage);
        Edit("Edit2")->setText(QString::fromLatin1(c.own));
        Click("Button3");
        EXPECT_EQ(data.ModelConfigs[0].OverhangUs, c.stored);
    }
}

TEST_F(ConfigWindowTest, OkNeedsNoConnectionButWriteAndReadDo)
{
    Open("KQ-3110");
    Edit("Edit1")->setText(QStringLiteral("abc")); // not even checked without a connection
    Click("Button1");
    EXPECT_EQ(window->StatusText(), NotConnected);
    Click("Button2");
    EXPECT_EQ(window->StatusText(), NotConnected);
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("abc"));
    EXPECT_TRUE(testdriver::CallsTo("Send").empty());

    Edit("Edit1")->setText(QStringLiteral("1200"));
    Click("Button3");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(data.ModelConfigs[0].CustomBaud, 1200u);
}

TEST_F(ConfigWindowTest, WithoutAProgramRecordOnlyCancelActs)
{
    Open("KQ-3110", QLatin1Char(','), false);
    EXPECT_EQ(TxList()->currentIndex(), 0);
    EXPECT_EQ(RxList()->currentIndex(), 1);
    EXPECT_EQ(BaudList()->currentIndex(), 4);
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("9600"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("0,200"));
    EXPECT_EQ(Edit("Edit3")->text(), DefaultModelConfig().Note);
    for (const char* button : {"Button1", "Button2", "Button3"}) {
        Click(button);
        EXPECT_EQ(window->StatusText(), QString());
        EXPECT_FALSE(Closed());
    }
    Click("Button4");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST_F(ConfigWindowTest, ReadShowsTheModuleAndCancelDropsIt)
{
    Connect();
    module.registers[59] = 0x06;
    module.registers[4] = 9;
    module.registers[8] = 0;  // a custom speed of 0 is shown, though refused
    module.registers[11] = 0xFF;
    module.registers[12] = 0xFF;
    Open("KQ-3110");
    Click("Button2");
    EXPECT_EQ(window->StatusText(), QStringLiteral(" Konfigurace přečtena."));
    EXPECT_EQ(TxList()->currentText(), QStringLiteral("DTR"));
    EXPECT_EQ(RxList()->currentText(), QStringLiteral("RS-422"));
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("0"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("65,535"));
    EXPECT_EQ(Edit("Edit3")->text(), QString(45, QChar(0)));
    EXPECT_EQ(window->WorkConfig().TxMode, 2);

    Click("Button3");
    EXPECT_EQ(window->StatusText(), SpeedMessage);
    Edit("Edit1")->setText(QStringLiteral("9600"));
    Click("Button3");
    EXPECT_EQ(window->StatusText(), RangeMessage);

    Click("Button4");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(data.ModelConfigs[0], DefaultModelConfig());
}

TEST_F(ConfigWindowTest, AFailedReadShowsThePartialRecordAndTheError)
{
    Connect();
    module.registers[59] = 0x03;
    module.registers[4] = 7;
    module.failAtTransaction = 3;
    module.failStatus = 3;
    Open("KQ-3110");
    Edit("Edit1")->setText(QStringLiteral("typed but not taken"));
    Click("Button2");
    EXPECT_EQ(window->StatusText(), QStringLiteral(" chyba ovladače 3"));
    EXPECT_EQ(TxList()->currentText(), QStringLiteral("RTS"));
    EXPECT_EQ(BaudList()->currentText(), QStringLiteral("57600"));
    EXPECT_EQ(List("ComboBox5")->currentText(), QStringLiteral("8 bitů")); // not read
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("9600"));
}

TEST_F(ConfigWindowTest, WriteChecksThenWritesWithoutTouchingTheProgramRecord)
{
    Connect();
    Open("KQ-3110");
    Edit("Edit2")->setText(QStringLiteral("abc"));
    Click("Button1");
    EXPECT_EQ(window->StatusText(), FormatMessage);
    EXPECT_TRUE(testdriver::CallsTo("Send").empty());

    TxList()->setCurrentIndex(3);
    RxList()->setCurrentIndex(1);
    Edit("Edit2")->setText(QStringLiteral("1"));
    Edit("Edit3")->setText(QStringLiteral("Kotelna"));
    Click("Button1");
    EXPECT_EQ(window->StatusText(), QStringLiteral(" Konfigurace zapsána."));
    EXPECT_EQ(testdriver::CallsTo("Send").size(), 118u);
    EXPECT_EQ(module.registers[59], 3 + 4);
    EXPECT_EQ(module.registers[11], 1000 & 0xFF);
    EXPECT_EQ(module.registers[13], 'K');
    EXPECT_EQ(window->WorkConfig().TxMode, 3);

    Click("Button4");
    EXPECT_EQ(data.ModelConfigs[0], DefaultModelConfig());
}

TEST_F(ConfigWindowTest, AWriteRefusedByTheTimingCheckSendsNothing)
{
    Connect();
    Open("KQ-3110");
    BaudList()->setCurrentIndex(0);
    List("ComboBox6")->setCurrentIndex(1);
    Edit("Edit2")->setText(QStringLiteral("31,934"));
    Click("Button1");
    EXPECT_EQ(window->StatusText(), QStringLiteral(" Chyba ZEMO - přesah nelze nastavit"));
    EXPECT_TRUE(testdriver::CallsTo("Send").empty());
}

// While a sequence runs, the events it lets through can start nothing, and a close waits.
TEST_F(ConfigWindowTest, ButtonsAreInertAndACloseWaitsWhileASequenceRuns)
{
    Connect();
    module.registers[4] = 2;
    Open("KQ-3110");
    int transactions = 0;
    bool buttonsEnabledInside = true;
    auto inner = testdriver::CurrentScript().module;
    testdriver::CurrentScript().module = [&](const std::array<int32_t, 8>& request) {
        if (++transactions == 20) {
            buttonsEnabledInside = Find<QPushButton>("Button3")->isEnabled();
            for (const char* button : {"Button1", "Button2", "Button3", "Button4"})
                Click(button);
            window->Button3Click();
            window->Button1Click();
            window->close();
            EXPECT_FALSE(Closed());
        }
        return inner(request);
    };
    Click("Button2");
    EXPECT_FALSE(buttonsEnabledInside);
    EXPECT_EQ(transactions, 55); // no second sequence
    EXPECT_TRUE(Closed());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(data.ModelConfigs[0], DefaultModelConfig()); // "Ok" stored nothing
    EXPECT_EQ(window->WorkConfig().BaudIndex, 2);
    EXPECT_TRUE(Find<QPushButton>("Button3")->isEnabled());
}

TEST_F(ConfigWindowTest, TitleBarCloseCancelsAndNoKeyActsAsAButton)
{
    Open("KQ-3110");
    for (auto* button : window->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    Edit("Edit1")->setText(QStringLiteral("1200"));
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(Edit("Edit1"), &press);
        EXPECT_FALSE(Closed());
    }
    window->close();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(data.ModelConfigs[0], DefaultModelConfig());
}

TEST_F(ConfigWindowTest, TheStatusBarHasOnePanelAcrossTheWindow)
{
    Open("KQ-3110");
    auto* statusBar = Find<QStatusBar>("StatusBar1");
    EXPECT_EQ(statusBar->geometry(), QRect(0, 281, 548, 19));
    EXPECT_EQ(window->size(), QSize(548, 300));
    EXPECT_EQ(statusBar->findChildren<QLabel*>().size(), 1);
    const QLabel* panel = statusBar->findChild<QLabel*>();
    const QRect extent(panel->mapTo(window.get(), QPoint()), panel->size());
    EXPECT_TRUE(window->rect().contains(extent)) << extent.x() << ' ' << extent.width();
    EXPECT_GE(extent.width(), window->width() - 24);
}

} // namespace
