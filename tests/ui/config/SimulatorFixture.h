// The configuration window against the simulated module, in-process and as the serkon-sim
// program, through the real driver libraries.
#pragma once

#include "Module.h"
#include "Servers.h"

#include "config/Connection.h"
#include "core/ProgramDirectory.h"
#include "ui/ConfigWindow.h"
#include "tests/support/ProgramFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// The serkon-sim program as a LAN converter on a port the system picks, its controls from the test.
class SimulatorProgram {
public:
    explicit SimulatorProgram(const QStringList& options)
    {
        process_.setProgram(QStringLiteral(SERKON_SIM_PROGRAM));
        process_.setArguments(QStringList{QStringLiteral("--udp"), QStringLiteral("0")} + options);
        process_.start();
        // It listens once it has said where: "udp 127.0.0.1:PORT".
        while (!process_.canReadLine() && process_.waitForReadyRead(30000)) {
        }
        firstLine_ = QString::fromUtf8(process_.readLine()).trimmed();
        const QString prefix = QStringLiteral("udp 127.0.0.1:");
        if (firstLine_.startsWith(prefix))
            port_ = firstLine_.mid(prefix.size()).toUShort();
    }
    ~SimulatorProgram()
    {
        if (!Stop())
            process_.kill();
        process_.waitForFinished(30000);
    }
    SimulatorProgram(const SimulatorProgram&) = delete;
    SimulatorProgram& operator=(const SimulatorProgram&) = delete;

    // 0 when it does not listen.
    uint16_t Port() const { return port_; }
    QString FirstLine() const { return firstLine_; }
    QString Errors() { return QString::fromUtf8(process_.readAllStandardError()); }
    // Ends it with its control "quit", as on every platform, and tells whether it ended as asked.
    bool Stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
        process_.write("quit\n");
        process_.closeWriteChannel();
        return process_.waitForFinished(30000) && process_.exitStatus() == QProcess::NormalExit
            && process_.exitCode() == 0;
    }

private:
    QProcess process_;
    QString firstLine_;
    uint16_t port_ = 0;
};

// The registers of a KQ-3110 configured by the round trip below: 6 data bits, parity and two
// stop bits at 76800 Bd: a character of 123.698 µs; the hold time 2345 µs plus half a bit.
inline void ExpectRoundTripRegisters(const std::array<uint8_t, sim::RegisterCount>& registers)
{
    EXPECT_EQ(registers[59], 1 * 4 + 3);
    EXPECT_EQ(registers[0], 124);
    EXPECT_EQ(registers[1], 0);
    EXPECT_EQ(registers[2], 2352 & 0xFF);
    EXPECT_EQ(registers[3], 2352 >> 8);
    EXPECT_EQ(registers[8] | registers[9] << 8 | registers[10] << 16, 76800);
}

class Simulator : public ::testing::Test {
protected:
    // No parity, so that turning it on is a change.
    void SetUp() override { module.SetRegister(6, 0); }
    void TearDown() override
    {
        window.reset();
        CloseConnection(data);
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
