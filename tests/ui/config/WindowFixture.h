// Opens configuration windows on Qt's offscreen platform, with or without a connection to a
// module behind the test driver.
#pragma once

#include "FakeModule.h"
#include "tests/drivers/TestDrivers.h"

#include "drivers/DriverBinding.h"
#include "ui/ConfigWindow.h"
#include "config/Connection.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(QApplication::instance(), nullptr); }

    void SetUp() override
    {
        UseTestDrivers("full");
        InitData(data);
    }
    void TearDown() override
    {
        window.reset();
        CloseConnection(data);
        SetProgramDirectory({});
    }

    void Connect()
    {
        ASSERT_EQ(LoadDriver(InterfaceCom, &data.DriverHandle, {}), 0);
        data.Connected = 1;
        module.Install();
    }

    // Without a separator the window keeps the one of the regional settings.
    ConfigWindow& Open(const char* model, std::optional<QChar> separator = QLatin1Char(','),
                       bool withRecord = true)
    {
        const ModelDescription* description = FindModel(model);
        EXPECT_NE(description, nullptr) << model;
        window = std::make_unique<ConfigWindow>(*description);
        if (separator)
            window->SetDecimalSeparator(*separator);
        window->SetProgramData(withRecord ? &data : nullptr);
        window->show();
        return *window;
    }

    template <typename Widget> Widget* Find(const char* name) const
    {
        auto* widget = window->findChild<Widget*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QComboBox* List(const char* name) const { return Find<QComboBox>(name); }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    void Click(const char* button) const { Find<QPushButton>(button)->click(); }

    // The standard names; KQ-3140 and KQ-3230 name their lists otherwise.
    QComboBox* TxList() const { return List(window->Model().names->txList); }
    QComboBox* RxList() const { return List(window->Model().names->rxList); }
    QComboBox* BaudList() const { return List(window->Model().names->baudList); }

    bool Closed() const { return !window->isVisible(); }

    TData data;
    testdriver::FakeModule module;
    std::unique_ptr<ConfigWindow> window;
};
