// The command line of serkon-cli: a command, the connection settings that override SERKON.ini,
// and the command's own options, with the help texts.
#pragma once

#include "ui/ModelCatalogue.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

enum class Command { Identify, Read, Write, Status, ClearStatus, Scan, Settings, Ports, LinkPort };

// Settings given on the command line; each one replaces what SERKON.ini says. The texts are read
// as the connection dialog reads its rows.
struct ConnectionOverrides {
    std::optional<int> interfaceType;
    std::optional<QString> comPort;
    std::optional<QString> baseAddress;  // in the dialog's form, "2A0h"
    std::optional<QString> ipAddress;
    std::optional<QString> udpPort;
    std::optional<QString> udpTimeout;
    std::optional<uint8_t> address;
    std::optional<uint8_t> speedIndex;
};

struct Options {
    Command command = Command::Identify;
    ConnectionOverrides connection;
    bool quiet = false;

    const ModelDescription* model = nullptr;  // read: the model of the profile
    QString outputFile;                       // read: empty for standard output
    QString profileFile;                      // write
    QString reportFile;                       // write: the CSV audit trail, empty for none
    bool watch = false;                       // status
    int intervalMs = 500;                     // status --watch
    uint8_t fromAddress = 0;                  // scan
    uint8_t toAddress = 255;
    std::vector<uint8_t> speedIndexes;        // scan: empty for the connection's speed
    QString linkName;                         // ports link: "com3", "usb" or "pci"
    QString linkTarget;                       // ports link: the serial port, as given
    int marginMs = 1;                         // scan: a probe's wait beyond the wire's time
    bool store = false;                       // scan: the module found into SERKON.ini
    bool save = false;                        // settings: the connection into SERKON.ini
};

struct CommandLine {
    enum class Action { Run, ShowText, UsageError };
    Action action = Action::UsageError;
    // For a usage error, what was read before it: the command (Identify when it is not known),
    // the profile and the report, so that a refused write can still be recorded.
    Options options;
    QString text;  // the help or version text, or what is wrong with the command line
};

CommandLine ParseCommandLine(const QStringList& arguments);

// The value of --interface that names an interface type: "com" … "lan".
QString InterfaceOptionName(int interfaceType);
