// The main window on Qt's offscreen platform, with the scripted test driver behind a program
// folder of the test's own.
#pragma once

#include "Children.h"
#include "ScriptedDriverFolder.h"

#include "FakeModule.h"

#include "core/Settings.h"
#include "ui/ConnectionDialog.h"
#include "ui/MainWindow.h"
#include "ui/StatusPanels.h"
#include "ui/StatusRegisterWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <optional>

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { module.Install(); }

    void StoreSettings(uint8_t address, uint32_t speed)
    {
        TData stored;
        InitData(stored);
        stored.ModuleAddress = address;
        stored.Speed = speed;
        ASSERT_TRUE(SaveSettingsTo(folder.SettingsPath(), &stored));
    }
    QString Panel(const TForm1& window, int panel) const
    {
        return Child<StatusPanels>(&window, "StatusBar1")->PanelText(panel);
    }
    static void Trigger(TForm1& window, const char* entry)
    {
        Child<QAction>(&window, entry)->trigger();
    }
    // Opens the connection dialog from the menu, optionally initialises, and cancels it.
    static void UseConnectionDialog(TForm1& window, bool initialise)
    {
        Trigger(window, "Pipojen1");
        auto* dialog = window.findChild<TForm2*>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
        ASSERT_TRUE(dialog->isModal());
        if (initialise)
            Child<QPushButton>(dialog, "Button1")->click();
        Child<QPushButton>(dialog, "Button2")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window.findChild<TForm2*>(), nullptr);
    }

    // What the settings file holds; nothing when there is no file to read.
    std::optional<TData> Stored() const
    {
        TData stored;
        InitData(stored);
        if (!LoadSettingsFrom(folder.SettingsPath(), &stored))
            return std::nullopt;
        return stored;
    }
    int StoredAddress() const
    {
        const std::optional<TData> stored = Stored();
        return stored ? stored->ModuleAddress : -1;
    }
    // Connected to the module at address 6, the record then changed to address 9, with the
    // status register window open and the connection dialog above it: what an end of the
    // program has to close before it stores 9.
    void ConnectAndOpenWindowsAbove(TForm1& window)
    {
        StoreSettings(6, 9600);
        module.address = 6;
        window.show();
        UseConnectionDialog(window, true);
        window.ProgramData()->ModuleAddress = 9;
        Trigger(window, "Statusregistr1");
        Trigger(window, "Pipojen1");
        ASSERT_TRUE(window.findChild<TForm2*>()->isVisible());
    }
    // Everything closed, the settings stored and the connection closed once.
    void ExpectEnded(const TForm1& window) const
    {
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.findChild<TForm15*>()->isVisible());
        EXPECT_EQ(window.ProgramData(), nullptr);
        EXPECT_EQ(testdriver::CallsTo("Done").size(), 1u);
        EXPECT_EQ(StoredAddress(), 9);
    }

    ScriptedDriverFolder folder;
    testdriver::FakeModule module;
};
