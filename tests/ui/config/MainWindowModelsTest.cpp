#include "tests/ui/Children.h"
#include "tests/ui/ScriptedDriverFolder.h"

#include "ui/ConfigWindow.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class MainWindowModels : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_NE(QApplication::instance(), nullptr);
    }
    void SetUp() override { main.show(); }

    ConfigWindow* OpenFromMenu(const char* entry)
    {
        Child<QAction>(&main, entry)->trigger();
        return main.findChild<ConfigWindow*>();
    }
    static void Press(ConfigWindow* window, const char* button)
    {
        Child<QPushButton>(window, button)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ScriptedDriverFolder folder;
    TForm1 main;
};

TEST_F(MainWindowModels, EveryEntryOpensItsModelsWindowOnItsSlotModallyAndDestroysIt)
{
    const struct {
        const char* entry;
        const char* caption;
        int slot;
    } entries[] = {
        {"TypKQ3110", " KQ-3110 - konvertor RS-232 <=> RS-422/RS-485", 0},
        {"TypKQ3120", " KQ-3120 - konvertor RS-232 <=> RS-422/RS-485", 1},
        {"TypKQ3130", " KQ-3130 - konvertor RS-422 <=> RS-485", 2},
        {"TypKq3140", " KQ-3140 - konvertor RS-232 <=> RS-485", 3},
        {"TypKQ3210", " KQ-3210 - repeater RS-422 <=> RS-422", 4},
        {"TypKQ3220", " KQ-3220 - konvertor RS-422 <=> RS-422/RS-485", 1},
        {"TypKQ3230", " KQ-3230 - repeater RS-485 <=> RS-485", 5},
        {"TypRZ310", " RZ-310 - konvertor RS-232 <=> RS-422/RS-485", 6},
    };
    TData& data = *main.ProgramData();
    for (uint32_t slot = 0; slot < ModelSlotCount; ++slot)
        data.ModelConfigs[slot].CustomBaud = 1000 + slot;

    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.entry);
        ConfigWindow* window = OpenFromMenu(entry.entry);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(entry.caption));
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->isModal());
        EXPECT_EQ(Child<QLineEdit>(window, "Edit1")->text(), QString::number(1000 + entry.slot));
        Press(window, "Button4");
        EXPECT_EQ(main.findChild<ConfigWindow*>(), nullptr);
    }
}

TEST_F(MainWindowModels, WhatOneSlotOneWindowConfirmsTheOtherShows)
{
    ConfigWindow* window = OpenFromMenu("TypKQ3220");
    Child<QLineEdit>(window, "Edit3")->setText(QStringLiteral("potvrzeno v KQ-3220"));
    Press(window, "Button3");

    window = OpenFromMenu("TypKQ3120");
    EXPECT_EQ(Child<QLineEdit>(window, "Edit3")->text().trimmed(),
              QStringLiteral("potvrzeno v KQ-3220"));
    Press(window, "Button1");  // no connection yet: the window says so
    EXPECT_EQ(window->StatusText(), QStringLiteral(" Připojení k modulu není inicializováno."));
    Press(window, "Button4");
}

} // namespace
