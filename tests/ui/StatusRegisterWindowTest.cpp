#include "Children.h"
#include "ScriptedDriverFolder.h"

#include "FakeModule.h"

#include "config/Connection.h"
#include "ui/StatusPanels.h"
#include "ui/StatusRegisterWindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using testdriver::CallsTo;

namespace {

class StatusRegisterWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitData(data);
        data.ModuleAddress = 6;
        module.address = 6;
        module.Install();
    }
    void TearDown() override
    {
        CloseConnection(data);
    }
    void Connect()
    {
        ASSERT_TRUE(InitializeConnection(data, ConnectionInputFromRecord(data)).connected);
        testdriver::Calls().clear();
    }
    void Open()
    {
        window.SetProgramData(&data);
        window.show();
    }
    // The 32 bit labels, column by column, as one string of "0" and "1".
    QString Bits() const
    {
        QString bits;
        for (int number = 33; number <= 64; ++number)
            bits += Child<QLabel>(&window, QStringLiteral("Label%1").arg(number))->text();
        return bits;
    }
    QString Status() const { return Child<StatusPanels>(&window, "StatusBar1")->PanelText(0); }
    QTimer* Timer() const { return Child<QTimer>(&window, "Timer1"); }
    void Clear() { Child<QPushButton>(&window, "Button2")->click(); }

    ScriptedDriverFolder folder;
    testdriver::FakeModule module;
    TData data;
    TForm15 window;
};

const QString AllClear = QString(32, u'0');
const QString NotReady = QStringLiteral(" Připojení k modulu není inicializováno.");

} // namespace

TEST_F(StatusRegisterWindow, IsLaidOutAsFourColumnsOfEightBits)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Status registr"));
    EXPECT_EQ(window.size(), QSize(400, 276));
    EXPECT_EQ(Bits(), AllClear);
    const QStringList column1 = {"---", "FN", "PRF", "---", "PWR", "RST", "ERR24", "---"};
    for (int row = 0; row < 8; ++row) {
        const QLabel* caption = Child<QLabel>(&window, QStringLiteral("Label%1").arg(row + 1));
        const QLabel* bit = Child<QLabel>(&window, QStringLiteral("Label%1").arg(row + 33));
        EXPECT_EQ(caption->text(), column1[row]);
        EXPECT_EQ(caption->y(), bit->mapTo(&window, QPoint()).y());  // on one line
    }
    for (int number = 9; number <= 32; ++number)
        EXPECT_EQ(Child<QLabel>(&window, QStringLiteral("Label%1").arg(number))->text(),
                  QStringLiteral("---"));
    EXPECT_EQ(Child<QLabel>(&window, "Label57")->parent(), Child<QFrame>(&window, "Panel4"));
    EXPECT_EQ(Child<QPushButton>(&window, "Button2")->text(), QStringLiteral("Vynulovat"));
    EXPECT_EQ(Child<QPushButton>(&window, "Button1")->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_EQ(Timer()->interval(), 500);
}

TEST_F(StatusRegisterWindow, StatusPanelSpansTheWindowWithoutPassingItsEdge)
{
    window.show();
    const auto* panel = Child<StatusPanels>(&window, "StatusBar1")->findChild<QLabel*>();
    ASSERT_NE(panel, nullptr);
    for (const QString& text : {QString(), QString(200, u'x')}) {
        Child<StatusPanels>(&window, "StatusBar1")->SetPanelText(0, text);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QRect extent(panel->mapTo(&window, QPoint()), panel->size());
        EXPECT_TRUE(window.rect().contains(extent)) << extent.x() << ' ' << extent.width();
        EXPECT_GE(extent.width(), window.width() - 24);  // over the whole width, bar margins aside
    }
}

TEST_F(StatusRegisterWindow, TimerRunsOnlyWhileTheWindowIsVisible)
{
    EXPECT_FALSE(Timer()->isActive());
    Open();
    EXPECT_TRUE(Timer()->isActive());
    Child<QPushButton>(&window, "Button1")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(Timer()->isActive());
}

TEST_F(StatusRegisterWindow, WithoutAProgramRecordNothingChanges)
{
    Connect();
    module.statusRegister = {0xFF, 0xFF, 0xFF, 0xFF};
    window.show();
    window.Timer1Timer();
    Clear();
    EXPECT_EQ(Bits(), AllClear);
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_TRUE(testdriver::Calls().empty());
}

TEST_F(StatusRegisterWindow, PollShowsTheBitsColumnByColumn)
{
    Connect();
    module.statusRegister = {0x12, 0, 0, 0x80};
    Open();
    window.Timer1Timer();
    QString expected = AllClear;
    expected[1] = u'1';       // FN
    expected[4] = u'1';       // PWR
    expected[31] = u'1';      // column 4, bottom row
    EXPECT_EQ(Bits(), expected);
    EXPECT_EQ(Status(), QStringLiteral(" V pořádku"));
    EXPECT_EQ(CallsTo("Send").at(0).request, (std::array<int32_t, 8>{6, 100, 0, 0, 0, 0, 0, 0}));
}

TEST_F(StatusRegisterWindow, TheTimerPollsByItself)
{
    Connect();
    module.statusRegister = {0x12, 0, 0, 0x80};
    Open();
    // Runs the event loop until the timer's first tick has been handled; the guard only keeps a
    // timer that never ticks from hanging the test.
    QEventLoop loop;
    QObject::connect(Timer(), &QTimer::timeout, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(CallsTo("Send").size(), 1u);
    EXPECT_EQ(CallsTo("Send")[0].request[1], 100);
    EXPECT_EQ(Bits().left(5), QStringLiteral("01001"));
}

TEST_F(StatusRegisterWindow, FailedPollKeepsTheBitsAndShowsOnlyTheError)
{
    Connect();
    module.statusRegister = {0x12, 0, 0, 0x80};
    Open();
    window.Timer1Timer();
    const QString shown = Bits();
    module.failAtTransaction = module.transactions + 1;
    module.failStatus = 3;
    window.Timer1Timer();
    EXPECT_EQ(Bits(), shown);
    EXPECT_EQ(Status(), QStringLiteral(" chyba ovladače 3"));
}

TEST_F(StatusRegisterWindow, WithoutAConnectionEveryOperationSaysSo)
{
    Open();
    window.Timer1Timer();
    EXPECT_EQ(Status(), NotReady);
    Child<StatusPanels>(&window, "StatusBar1")->SetPanelText(0, {});
    Clear();
    EXPECT_EQ(Status(), NotReady);
    EXPECT_TRUE(testdriver::Calls().empty());
}

TEST_F(StatusRegisterWindow, ClearSendsTheCommandAndShowsOnlyFailures)
{
    Connect();
    module.statusRegister = {0x12, 0, 0, 0x80};
    Open();
    window.Timer1Timer();
    Clear();
    EXPECT_EQ(module.statusRegister, (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(CallsTo("Send").at(1).request, (std::array<int32_t, 8>{6, 101, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Status(), QStringLiteral(" V pořádku"));  // left from the poll
    window.Timer1Timer();
    EXPECT_EQ(Bits(), AllClear);

    module.failAtTransaction = module.transactions + 1;
    module.failStatus = 4;
    Clear();
    EXPECT_EQ(Status(), QStringLiteral(" chyba ovladače 4"));
}

TEST_F(StatusRegisterWindow, ModuleAddressIsTakenWhenTheWindowIsShown)
{
    Connect();
    Open();
    data.ModuleAddress = 9;
    window.Timer1Timer();
    EXPECT_EQ(CallsTo("Send").back().request[0], 6);
    window.hide();
    window.show();
    window.Timer1Timer();
    EXPECT_EQ(CallsTo("Send").back().request[0], 9);
}
