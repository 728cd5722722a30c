// A connection through the program's driver binding, as the connection dialog opens it.
#pragma once

#include "drivers/DriverBinding.h"
#include "drivers/Transaction.h"

#include "core/Records.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

struct TransactionResult {
    uint8_t status = 0xFF;
    uint8_t extra = 0;
    ModuleData data{};
};

class Connection {
public:
    explicit Connection(uint8_t type) : type_(type) {}
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int32_t Open(intptr_t parameter = 0)
    {
        DriverConfigBlock config{};
        config[0] = parameter;
        return Loaded(LoadDriver(type_, &handle_, config));
    }

    int32_t OpenLan(const std::string& address, intptr_t port, intptr_t timeout = 0)
    {
        address_ = QByteArray::fromStdString(address);
        DriverConfigBlock config{};
        config[0] = reinterpret_cast<intptr_t>(address_.constData());
        config[1] = port;
        config[2] = timeout;
        return Loaded(LoadDriver(type_, &handle_, config));
    }

    // Generous enough that a busy test machine never turns a reply into a time-out.
    int32_t Configure(int32_t baud = 9600, int32_t timeout = 500, int32_t option = 2)
    {
        return ConfigureDriver(type_, handle_, baud, timeout, option);
    }

    TransactionResult Transact(uint8_t address, uint8_t command, uint8_t subcode = 0,
                               ModuleData data = {}, uint8_t extra = 0)
    {
        TransactionResult result;
        result.extra = extra;
        result.data = data;
        DriverBuffer response{};
        ModuleTransaction(type_, handle_, address, command, subcode, result.extra, result.data,
                          result.status, response);
        return result;
    }

    TransactionResult ReadRegister(uint8_t address, uint8_t reg)
    {
        return Transact(address, CmdReadRegister, 0, {reg, reg, 0, 0});
    }

    void Close()
    {
        if (open_)
            CloseDriver(type_, &handle_);
        open_ = false;
    }

    uint8_t Type() const { return type_; }
    uint32_t Handle() const { return handle_; }

private:
    int32_t Loaded(int32_t code)
    {
        open_ = code == 0;
        return code;
    }

    uint8_t type_;
    uint32_t handle_ = 0;
    bool open_ = false;
    QByteArray address_;
};
