// The configuration window against the simulated module, through the real driver libraries:
// read, change every field, write, read back.
#include "Module.h"
#include "Servers.h"

#include "config/Connection.h"
#include "core/ProgramDirectory.h"
#include "ui/ConfigWindow.h"
#include "tests/support/ProgramFolder.h"
#include "tests/support/ConnectionTeardown.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class Simulator : public ::testing::Test {
protected:
    void TearDown() override
    {
        window.reset();
        CloseConnectionIfReady(data);
    }

    void Connect(int interfaceType, std::array<QString, 3> parameters)
    {
        InitData(data);
        ConnectionInput input;
        input.interfaceType = interfaceType;
        input.moduleAddress = QStringLiteral("5");
        input.speedIndex = 4;
        input.parameters = parameters;
        const ConnectionResult result = InitializeConnection(data, input);
        ASSERT_TRUE(result.connected) << result.panelText.toStdString();
    }

    ConfigWindow& Open()
    {
        window = std::make_unique<ConfigWindow>(*FindModel("KQ-3110"));
        window->SetDecimalSeparator(QLatin1Char(','));
        window->SetProgramData(&data);
        window->show();
        return *window;
    }
    template <typename Widget> Widget* Find(const char* name) const
    {
        return window->findChild<Widget*>(QString::fromLatin1(name));
    }
    void Click(const char* button) const { Find<QPushButton>(button)->click(); }

    // Reads the module, changes every field to another value and writes it; then reads it
    // back in a new window and expects the same entries.
    void RoundTrip()
    {
        module.SetRegister(6, 0); // no parity, so that turning it on is a change
        Open();
        Click("Button2");
        ASSERT_EQ(window->StatusText(), QStringLiteral(" Konfigurace přečtena."));
        const TZEMO before = window->WorkConfig();

        struct ListChange {
            const char* name;
            int index;
        };
        const ListChange lists[] = {{"ComboBox1", 3}, {"ComboBox2", 1}, {"ComboBox3", 9},
                                    {"ComboBox4", 1}, {"ComboBox5", 1}, {"ComboBox6", 1}};
        for (const ListChange& change : lists) {
            ASSERT_NE(Find<QComboBox>(change.name)->currentIndex(), change.index) << change.name;
            Find<QComboBox>(change.name)->setCurrentIndex(change.index);
        }
        const QString note = QStringLiteral("Kotelna č. 2 – přízemí");
        Find<QLineEdit>("Edit1")->setText(QStringLiteral("76800"));
        Find<QLineEdit>("Edit2")->setText(QStringLiteral("2,345"));
        Find<QLineEdit>("Edit3")->setText(note);
        Click("Button1");
        ASSERT_EQ(window->StatusText(), QStringLiteral(" Konfigurace zapsána."));
        EXPECT_NE(window->WorkConfig(), before);

        Open();
        Click("Button2");
        ASSERT_EQ(window->StatusText(), QStringLiteral(" Konfigurace přečtena."));
        for (const ListChange& change : lists)
            EXPECT_EQ(Find<QComboBox>(change.name)->currentIndex(), change.index) << change.name;
        EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), QStringLiteral("76800"));
        EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), QStringLiteral("2,345"));
        EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), note.leftJustified(45, QLatin1Char(' ')));
    }

    ProgramFolder program;
    sim::Module module{"KQ-3110", 5};
    TData data;
    std::unique_ptr<ConfigWindow> window;
};

TEST_F(Simulator, RoundTripOverTheLanConverter)
{
    sim::UdpServer server(module);
    ASSERT_TRUE(server.Listening()) << server.Failure();
    Connect(InterfaceLan, {QStringLiteral("127.0.0.1"), QString::number(server.Port()),
                           QStringLiteral("100")});
    RoundTrip();

    // 6 data bits, parity and two stop bits at 76800 Bd: a character of 123.698 µs; the hold
    // time 2345 µs plus half a bit.
    const auto registers = module.Registers();
    EXPECT_EQ(registers[59], 1 * 4 + 3);
    EXPECT_EQ(registers[0], 124);
    EXPECT_EQ(registers[1], 0);
    EXPECT_EQ(registers[2], 2352 & 0xFF);
    EXPECT_EQ(registers[3], 2352 >> 8);
    EXPECT_EQ(registers[8] | registers[9] << 8 | registers[10] << 16, 76800);
}

TEST_F(Simulator, RoundTripOverASerialLine)
{
    sim::PtyServer server(module, sim::ComLink(program.Path(), 1));
    ASSERT_TRUE(server.Listening()) << server.Failure();
    Connect(InterfaceCom, {QStringLiteral("1"), QString(), QString()});
    RoundTrip();
}

} // namespace
