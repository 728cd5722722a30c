#include "Children.h"
#include "ScriptedDriverFolder.h"

#include "FakeModule.h"

#include "ui/ConnectionDialog.h"
#include "config/Connection.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using testdriver::CallsTo;
using testdriver::CurrentScript;

namespace {

class ConnectionDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitData(data);
        module.Install();
    }
    void TearDown() override
    {
        CloseConnection(data);
    }
    void Open()
    {
        dialog.SetProgramData(&data);
        dialog.show();
    }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(&dialog, name); }
    QComboBox* Combo(const char* name) { return Child<QComboBox>(&dialog, name); }
    QString Label(const char* name) { return Child<QLabel>(&dialog, name)->text(); }
    QString Panel1() { return Label("Panel1"); }
    void Initialise() { Child<QPushButton>(&dialog, "Button1")->click(); }
    // Initialises with the given parameter row texts of the current interface.
    void InitialiseWith(const QString& row1, const QString& row2 = {}, const QString& row3 = {})
    {
        Edit("Edit2")->setText(row1);
        Edit("Edit3")->setText(row2);
        Edit("Edit4")->setText(row3);
        Initialise();
    }

    ScriptedDriverFolder folder;
    testdriver::FakeModule module;
    TData data;
    TForm2 dialog;
};

} // namespace

TEST_F(ConnectionDialog, OpensWithTheRecordsValues)
{
    data.InterfaceType = 1;
    data.ModuleAddress = 12;
    data.Speed = 0;  // not a list speed
    Open();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Připojení modulu"));
    EXPECT_EQ(dialog.size(), QSize(592, 373));
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("12"));
    EXPECT_FALSE(Edit("Edit1")->isEnabled());
    EXPECT_EQ(Combo("ComboBox1")->currentText(), QStringLiteral("9600 Bd"));
    EXPECT_FALSE(Combo("ComboBox1")->isEnabled());
    EXPECT_EQ(Combo("ComboBox2")->currentText(), QStringLiteral("ISA karta RVA-770"));
    EXPECT_EQ(Label("Label3"), QStringLiteral("Bázová adresa RVA-770"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("300h"));
    EXPECT_TRUE(Edit("Edit2")->isVisible());
    EXPECT_FALSE(Edit("Edit3")->isVisible());
    EXPECT_FALSE(Child<QLabel>(&dialog, "Label7")->isVisible());
    EXPECT_EQ(Panel1(), QStringLiteral("Připojení modulu dosud neinicializováno"));
    EXPECT_EQ(Combo("ComboBox2")->count(), 5);
    EXPECT_EQ(Combo("ComboBox1")->count(), 9);
}

TEST_F(ConnectionDialog, ChangingTheInterfaceRefillsTheRowsFromTheRecord)
{
    Open();
    Edit("Edit2")->setText(QStringLiteral("typed"));
    Combo("ComboBox2")->setCurrentIndex(4);
    EXPECT_EQ(data.InterfaceType, 0);  // taken only by an initialisation
    EXPECT_EQ(Label("Label3"), QStringLiteral("IP adresa"));
    EXPECT_EQ(Edit("Edit2")->text(), data.IpAddress);
    EXPECT_EQ(Label("Label6"), QStringLiteral("UDP port"));
    EXPECT_EQ(Edit("Edit3")->text(), QStringLiteral("5000"));
    EXPECT_EQ(Label("Label7"), QStringLiteral("UDP timeout"));
    EXPECT_EQ(Edit("Edit4")->text(), QStringLiteral("100"));
    EXPECT_TRUE(Edit("Edit4")->isVisible());

    Combo("ComboBox2")->setCurrentIndex(2);
    EXPECT_FALSE(Edit("Edit2")->isVisible());
    EXPECT_FALSE(Child<QLabel>(&dialog, "Label3")->isVisible());

    Combo("ComboBox2")->setCurrentIndex(0);
    EXPECT_EQ(Label("Label3"), QStringLiteral("Číslo portu COMx"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("1"));
    EXPECT_TRUE(testdriver::Calls().empty());
}

TEST_F(ConnectionDialog, AddressAndPortTextsAreRewrittenAsRead)
{
    module.address = 44;
    Open();
    Edit("Edit1")->setText(QStringLiteral("300"));
    InitialiseWith(QStringLiteral("70000"));
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("44"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("4464"));
    EXPECT_EQ(data.ComPort, 112);
    EXPECT_EQ(data.ModuleAddress, 44);

    Edit("Edit1")->setText(QStringLiteral("abc"));
    InitialiseWith(QString());
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("0"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("1"));
}

TEST_F(ConnectionDialog, BaseAddressIsShownAsRead)
{
    data.InterfaceType = 1;
    Open();
    InitialiseWith(QStringLiteral("2A0h"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("2A0h"));
    EXPECT_EQ(data.BaseAddress, 672);
    for (const char* text : {"2A0", "12345", "zzzh"}) {
        InitialiseWith(QString::fromLatin1(text));
        EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("300h")) << text;
        EXPECT_EQ(data.BaseAddress, 768) << text;
    }
}

TEST_F(ConnectionDialog, UdpPortOutsideSixteenBitsIsRefused)
{
    data.InterfaceType = 4;
    Open();
    for (const char* port : {"65536", "-1", "abc"}) {
        InitialiseWith(QStringLiteral("127.0.0.1"), QString::fromLatin1(port), QStringLiteral("100"));
        EXPECT_EQ(Panel1(), QStringLiteral("Neplatný UDP port")) << port;
        EXPECT_EQ(Edit("Edit3")->text(), QString::fromLatin1(port));  // left for correcting
    }
    EXPECT_TRUE(CallsTo("Init").empty());

    InitialiseWith(QStringLiteral("127.0.0.1"), QStringLiteral("65535"), QStringLiteral("100"));
    EXPECT_TRUE(ConnectionReady(data));
    EXPECT_EQ(data.UdpPort, 65535);
}

TEST_F(ConnectionDialog, SuccessShowsTheIdentifiedModule)
{
    module.name = "ABCDEFGH";
    module.version = "1.00";
    Open();
    // What the panel shows while the module is being asked.
    QStringList panelDuringAttempt;
    auto answer = CurrentScript().module;
    CurrentScript().module = [&, answer](const std::array<int32_t, 8>& request) {
        panelDuringAttempt << Panel1();
        return answer(request);
    };
    Initialise();
    EXPECT_EQ(panelDuringAttempt.value(0), QStringLiteral("Probíhá inicializace připojení"));
    EXPECT_EQ(Panel1(),
              QStringLiteral("Připojení úspěšně inicializováno. Připojen modul   ABCDEFGH v.1.00"));
}

TEST_F(ConnectionDialog, FailureStaysInThePanelAndTheRecordKeepsItsStatusText)
{
    CurrentScript().initResult = 5;
    Open();
    Initialise();
    EXPECT_EQ(Panel1(), QStringLiteral("Chyba inicializace připojení - chyba ovladače 5"));
    EXPECT_EQ(data.StatusText, QStringLiteral("Připojení modulu dosud neinicializováno"));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ConnectionDialog, CancelLeavesTheOpenConnectionOpen)
{
    Open();
    Initialise();
    ASSERT_TRUE(ConnectionReady(data));
    Child<QPushButton>(&dialog, "Button2")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(CallsTo("Done").empty());
    EXPECT_TRUE(ConnectionReady(data));
}

TEST_F(ConnectionDialog, CloseBoxLeavesTheOpenConnectionOpen)
{
    Open();
    Initialise();
    ASSERT_TRUE(ConnectionReady(data));
    const uint32_t handle = data.DriverHandle;
    EXPECT_TRUE(dialog.close());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(CallsTo("Done").empty());
    EXPECT_TRUE(ConnectionReady(data));
    EXPECT_EQ(data.DriverHandle, handle);
}

TEST_F(ConnectionDialog, SecondPressClosesTheFirstConnectionFirst)
{
    Open();
    Initialise();
    Initialise();
    ASSERT_EQ(CallsTo("Done").size(), 1u);
    ASSERT_EQ(CallsTo("Init").size(), 2u);
    EXPECT_TRUE(ConnectionReady(data));
}

TEST_F(ConnectionDialog, StoredSpeedOutsideTheListIsStoredAs9600)
{
    data.Speed = 0;
    Open();
    Initialise();
    EXPECT_EQ(data.Speed, 9600u);
    EXPECT_EQ(CallsTo("SetConfig").at(0).args[1], 9600);
}

TEST(ConnectionDialogWithoutRecord, DoesNothing)
{
    ScriptedDriverFolder folder;
    TForm2 dialog;
    dialog.show();
    Child<QPushButton>(&dialog, "Button1")->click();
    EXPECT_TRUE(Child<QLabel>(&dialog, "Panel1")->text().isEmpty());
    EXPECT_TRUE(testdriver::Calls().empty());
}
