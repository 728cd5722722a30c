// The connection of one serkon-cli run: the settings of the program's SERKON.ini with the
// command line's overrides, opened by the connection dialog's steps and closed when the run
// ends. The file is written only when asked (settings --save, scan --store).
#pragma once

#include "CommandLine.h"
#include "Progress.h"

#include "config/Connection.h"
#include "core/Records.h"

#include <QString>

#include <optional>

class Session {
public:
    explicit Session(ProgressOutput& output);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the settings and applies the overrides. The text of an override that does not fit
    // the interface, if one does not.
    std::optional<QString> Prepare(const ConnectionOverrides& overrides);

    // Closes what is open, opens the connection of the input and identifies the module,
    // reporting the connection dialog's texts.
    ConnectionResult Open();
    void Close();

    // Stores the prepared connection, with the module address and bus speed given, into
    // SERKON.ini as the program stores its settings when it ends: the keys it writes, the rest
    // of the file kept. What went wrong, with the exit code: a parameter the connection dialog
    // refuses (3), a file that could not be written (1).
    struct Refusal {
        int exitCode;
        QString text;
    };
    std::optional<Refusal> StoreConnection(uint8_t address, uint8_t speedIndex);

    TData& Data() { return data_; }
    ConnectionInput& Input() { return input_; }
    // The prepared connection, one "option=value" line each in the command line's names.
    QString SettingsText() const;
    // The interface with its parameter, for a log: "LAN konvertor RVD-773 (127.0.0.1:5000)".
    QString InterfaceDescription() const;

private:
    ProgressOutput& output_;
    TData data_;
    ConnectionInput input_;
};
