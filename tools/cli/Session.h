// The connection of one serkon-cli run: the settings of SERKON.ini beside the program (read,
// never written) with the command line's overrides, opened by the connection dialog's steps and
// closed when the run ends.
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
    // The same, quietly: for trying one address after another.
    ConnectionResult Try();
    void Close();

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
