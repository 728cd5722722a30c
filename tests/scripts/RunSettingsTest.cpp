// scripts/run starts the simulated module where the program will look for it: the module
// address and UDP port it reads from a settings file must be the ones the program loads.
#include "core/Cp1250.h"
#include "core/Settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ScriptResult {
    int status = -1;
    std::string output;  // standard output and standard error
};

ScriptResult ReadWithScript(const QString& path)
{
    const std::string command =
        std::string("bash '") + SERKON_RUN_SCRIPT + "' --settings '" + path.toStdString() + "' 2>&1";
    ScriptResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        result.output += buffer;
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

QByteArray Cp(const char* utf8)
{
    return EncodeCp1250(QString::fromUtf8(utf8));
}

class RunScriptSettings : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void Write(const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // What the program loads from the file into a record with the defaults.
    TData Loaded() const
    {
        TData data;
        InitData(data);
        LoadSettingsFrom(path, &data);
        return data;
    }
    // The script's reading equals the program's, and is the expected one.
    void ExpectSameAsProgram(const QByteArray& bytes, int address, int port)
    {
        Write(bytes);
        const TData data = Loaded();
        EXPECT_EQ(data.ModuleAddress, address);
        EXPECT_EQ(data.UdpPort, port);
        const ScriptResult script = ReadWithScript(path);
        EXPECT_EQ(script.status, 0) << script.output;
        EXPECT_EQ(script.output, "address " + std::to_string(data.ModuleAddress) + "\nport "
                                     + std::to_string(data.UdpPort) + "\n");
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("SERKON.ini"));
};

const QByteArray Lan = Cp("[Připojení]\nRozhraní=RVD-773\n");

} // namespace

TEST_F(RunScriptSettings, IntegersInEveryNotationKeepTheirLowBits)
{
    ExpectSameAsProgram(Lan + Cp("Adresa=300\n[RVD-773]\nUDP port=47730\n"), 44, 47730);
    ExpectSameAsProgram(Lan + Cp("Adresa=$1FF\n[RVD-773]\nUDP port=0x1388\n"), 255, 5000);
    ExpectSameAsProgram(Lan + Cp("Adresa=0X10\n[RVD-773]\nUDP port=$BEEF\n"), 16, 48879);
    ExpectSameAsProgram(Lan + Cp("Adresa=-1\n"), 255, 5000);
    ExpectSameAsProgram(Lan + Cp("Adresa=-0x2\n"), 254, 5000);
    ExpectSameAsProgram(Lan + Cp("Adresa=+77\n"), 77, 5000);
    ExpectSameAsProgram(Lan + Cp("Adresa=$FFFFFF05\n"), 5, 5000);
    ExpectSameAsProgram(Lan + Cp("Adresa=-2147483648\n"), 0, 5000);
    ExpectSameAsProgram(Lan + "Adresa=" + QByteArray(40, '0') + "12\n", 12, 5000);
}

TEST_F(RunScriptSettings, ValuesThatAreNoIntegersLeaveTheDefaults)
{
    for (const char* value : {"12abc", "2147483648", "0x100000000", "$", "0x", "-", "1 2", "1.0",
                              "", "'7", "$-5"}) {
        SCOPED_TRACE(value);
        ExpectSameAsProgram(Lan + Cp("Adresa=") + value + Cp("\n[RVD-773]\nUDP port=") + value
                                + "\n",
                            0, 5000);
    }
}

TEST_F(RunScriptSettings, NamesAreFoundAsTheProgramFindsThem)
{
    // Any letter case, Czech letters included; blanks around names and values; quotes.
    ExpectSameAsProgram(Cp("[ PŘIPOJENÍ ]\nROZHRANÍ=RVD-773\n  aDRESA  =  '12'  \n[rvd-773]\n"
                           "udp PORT\t= \"6000\"\n"),
                        12, 6000);
    // The first of duplicate sections and keys; comments; a key before any section; a line
    // that opens no section.
    ExpectSameAsProgram(Cp("Adresa=3\n[Připojení]\nRozhraní=RVD-773\n;Adresa=4\nAdresa=5\n"
                           "Adresa=6\n[RVD-773]\nUDP timeout=1\n[Připojení]\nAdresa=7\n"
                           "[RVD-773]\nUDP port=6001\n"),
                        5, 5000);
    ExpectSameAsProgram(Cp("[Připojení]\nRozhraní=RVD-773\n[RVD-773\nUDP port=6005\n[RVD-773]\n"),
                        0, 5000);
    ExpectSameAsProgram(Cp("[RVD-773]\nUDP port=6002\n[Připojení]\nRozhraní=RVD-773\n"
                           "[Jiné]\nAdresa=8\n"),
                        0, 6002);
    // Windows line ends; a UTF-8 file with its byte-order mark.
    ExpectSameAsProgram(Cp("[Připojení]\r\nRozhraní=RVD-773\r\nAdresa=9\r\n[RVD-773]\r\n"
                           "UDP port=6003\r\n"),
                        9, 6003);
    // A long file, read to its end after the keys were found.
    QByteArray padded = Lan + Cp("Adresa=11\n");
    for (int line = 0; line < 5000; ++line)
        padded += "; " + QByteArray(60, '.') + '\n';
    ExpectSameAsProgram(padded, 11, 5000);
    ExpectSameAsProgram(QByteArray("\xEF\xBB\xBF")
                            + QStringLiteral("[PŘIPOJENÍ]\nRozhraní=COMx\nAdresa=10\n").toUtf8(),
                        10, 5000);
}

TEST_F(RunScriptSettings, WithoutAnInterfaceNameNothingIsRead)
{
    ExpectSameAsProgram(Cp("[Připojení]\nAdresa=9\n[RVD-773]\nUDP port=6004\n"), 0, 5000);
    ExpectSameAsProgram(Cp("[Připojení]\nRozhraní=jkl\nAdresa=9\n"), 0, 5000);
    // An unknown name still lets the other keys load.
    ExpectSameAsProgram(Cp("[Připojení]\nRozhraní=\nAdresa=9\n"), 9, 5000);
    ExpectSameAsProgram(QByteArray(), 0, 5000);
}

TEST_F(RunScriptSettings, APortTheSimulatorCannotListenOnIsRefused)
{
    for (const char* port : {"0", "65536", "-1", "0xFFFFFFFF"}) {
        SCOPED_TRACE(port);
        Write(Lan + Cp("[RVD-773]\nUDP port=") + port + "\n");
        const ScriptResult script = ReadWithScript(path);
        EXPECT_EQ(script.status, 1);
        EXPECT_NE(script.output.find("\"UDP port\""), std::string::npos) << script.output;
        EXPECT_EQ(script.output.find("address"), std::string::npos) << script.output;
    }
    Write(Lan + Cp("[RVD-773]\nUDP port=65535\n"));
    EXPECT_EQ(ReadWithScript(path).output, "address 0\nport 65535\n");
}
