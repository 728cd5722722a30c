// Opening a connection to a module: the texts of the connection form, how they are read, and
// the attempt itself (close what is open, bind and open the driver, set the bus speed, identify
// the module). The connection dialog and the command-line tool both go through here, so they
// behave and report alike.
#pragma once

#include "core/Records.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The texts of the connection form, as the user left them.
struct ConnectionInput {
    int interfaceType = InterfaceCom;  // position in the interface list
    QString moduleAddress;             // "Adresa připojeného modulu"
    int speedIndex = 4;                // position in the speed list
    std::array<QString, 3> parameters; // parameter rows 1 to 3 of the interface
};

// How far a connection attempt got.
enum class ConnectionStage {
    Input,      // the input was refused; no driver was loaded
    Load,       // the driver could not be loaded or opened
    Configure,  // the driver refused the bus speed
    Identify,   // no module identified itself at the address
    Connected,
};

struct ConnectionResult {
    bool connected = false;
    ConnectionStage stage = ConnectionStage::Input;
    QString panelText;                 // the outcome, for the status panel
    QString moduleAddress;             // the address text as it was read
    std::array<QString, 3> parameters; // the parameter texts, rewritten where they were read
};

// Receives each text of the status panel as the attempt goes on; the caller shows it at once.
using ConnectionReporter = std::function<void(const QString& panelText)>;

// One parameter row of the connection form for an interface type.
struct ParameterRow {
    bool shown = false;
    QString caption;
    QString text;
};
using ParameterRows = std::array<ParameterRow, 3>;

// The rows of the type, filled from the record.
ParameterRows ParameterRowsFor(const TData& data, int interfaceType);

// The form as it opens for the record: its interface, address, speed and parameter rows.
ConnectionInput ConnectionInputFromRecord(const TData& data);

// Captions of the interface list and of the speed list, in list order.
QString InterfaceCaption(int interfaceType);
QString SpeedCaption(uint8_t speedIndex);

// The bus address: any integer, 0 when the text is none, reduced to its low byte.
uint8_t ModuleAddressFromText(const QString& text);
// The COM port: any integer, 1 when the text is none, reduced to 16 bits.
uint16_t ComPortFromText(const QString& text);
// The ISA base address: a text of exactly four characters whose first three are hexadecimal
// digits ("2A0h"); anything else gives 0x300.
uint16_t BaseAddressFromText(const QString& text);
// At least three upper-case hexadecimal digits and "h": 0x300 is "300h".
QString BaseAddressText(uint16_t baseAddress);
// A UDP port or time-out: an integer in 0..65535, none otherwise.
std::optional<int32_t> UdpValueFromText(const QString& text);

// The module name for display: every control character (the module pads with bytes of code 0),
// DEL and the codes Windows-1250 leaves unassigned show as a middle dot.
QString DisplayModuleName(const QString& moduleName);

// Closes an open connection, then opens one with the input and identifies the module. On success
// the record holds the connection, the module's name, address and speed; on failure it is left
// without a ready connection and the result's panel text says why.
ConnectionResult InitializeConnection(TData& data, const ConnectionInput& input,
                                      const ConnectionReporter& report = {});

// The steps of an attempt one at a time, for a caller that identifies modules itself (a bus
// scan). TakeConnectionInput takes the interface and its parameter rows into the record (and
// the driver's parameter block), as an attempt does before it loads the driver; `rows` receive
// the rows as rewritten, the result is the text of a refused row.
std::optional<QString> TakeConnectionInput(TData& data, const ConnectionInput& input,
                                           std::array<QString, 3>& rows);

// SetConfig's time-out and option (the number of attempts per transaction).
struct DriverSettings {
    int32_t timeout = 0;
    int32_t option = 0;
};
// What the connection dialog passes for the speed: its time-out, one try and one retry.
DriverSettings ConnectionSettings(uint8_t speedIndex);

// Closes an open connection, takes the input, loads and opens the driver and sets the bus
// speed with the settings (the dialog's when none are given). With stage Identify the driver
// is open and set: `handle` holds its handle and the record is marked connected, the module
// not yet identified (ModuleName, ModuleAddress, Speed and DriverHandle are left as they
// were). Any other stage is a failure, reported as InitializeConnection reports it.
ConnectionResult OpenDriver(TData& data, const ConnectionInput& input, uint32_t& handle,
                            const ConnectionReporter& report = {},
                            const std::optional<DriverSettings>& settings = {});

// The connection dialog's identification: name part 1, name part 2 and version, four
// characters each, as "name v.version"; without a name, the failed transaction's status.
struct Identification {
    std::optional<QString> moduleName;
    uint8_t status = 0;
    QString statusText;
};
Identification IdentifyModule(const TData& data, uint32_t handle, uint8_t address);

// The text every window shows when it needs a module and no connection is ready.
QString ConnectionNotReadyText();

// Closes the record's connection when it is ready (its driver's Done); afterwards the record is
// not connected.
void CloseConnection(TData& data);
