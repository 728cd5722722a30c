#include "WindowFixture.h"

#include <QGroupBox>
#include <QLabel>

#include <QRegularExpression>

#include <array>
#include <map>
#include <tuple>

namespace {

struct Expected {
    const char* model;
    const char* objectName;
    const char* caption;
    int slot;
    QStringList tx;
    QStringList rx;
    bool baudUnit;
    std::vector<const char*> focus;
};

const std::vector<const char*> ButtonsFirst = {
    "Button1",   "Button2",   "Button3",   "Button4", "ComboBox1", "ComboBox2", "ComboBox3",
    "ComboBox4", "ComboBox5", "ComboBox6", "Edit1",   "Edit2",     "Edit3"};
const std::vector<const char*> ButtonsLast = {
    "ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6", "Edit1",
    "Edit2",     "Edit3",     "Button1",   "Button2",   "Button3",   "Button4"};

const QStringList TxFour = {"ZEMO", "ON", "DTR", "RTS"};
const QStringList TxTwo = {"ZEMO", "ON"};
const QStringList Rx422 = {"RS-485", "RS-422"};
const QStringList RxEcho = {"RS-485", "RS-485 ECHO"};

const std::vector<Expected> Models = {
    {"KQ-3110", "Form14", " KQ-3110 - konvertor RS-232 <=> RS-422/RS-485", 0, TxFour, Rx422,
     false, ButtonsFirst},
    {"KQ-3120", "FormNastavKQ3120", " KQ-3120 - konvertor RS-232 <=> RS-422/RS-485", 1, TxFour,
     Rx422, false, ButtonsLast},
    {"KQ-3130", "Form11", " KQ-3130 - konvertor RS-422 <=> RS-485", 2, TxTwo, RxEcho, false,
     ButtonsLast},
    {"KQ-3140", "Form12", " KQ-3140 - konvertor RS-232 <=> RS-485", 3, TxFour, RxEcho, false,
     {"Button1", "Button2", "Button3", "Button4", "ComboBox5", "ComboBox6", "ComboBox1",
      "ComboBox2", "ComboBox3", "ComboBox4", "Edit1", "Edit2", "Edit3"}},
    {"KQ-3210", "Form9", " KQ-3210 - repeater RS-422 <=> RS-422", 4, TxTwo, Rx422, false,
     {"ComboBox1", "ComboBox2", "Edit1", "Edit2", "ComboBox3", "ComboBox4", "ComboBox5",
      "ComboBox6", "Edit3", "Button1", "Button2", "Button3", "Button4"}},
    {"KQ-3220", "FormNastavKQ3220", " KQ-3220 - konvertor RS-422 <=> RS-422/RS-485", 1, TxTwo,
     Rx422, false, ButtonsLast},
    {"KQ-3230", "Form3", " KQ-3230 - repeater RS-485 <=> RS-485", 5, {}, {}, true,
     {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "Edit1", "Edit2", "Edit3", "Button1",
      "Button2", "Button3", "Button4"}},
    {"RZ-310", "Form4", " RZ-310 - konvertor RS-232 <=> RS-422/RS-485", 6, TxFour,
     {"RS-422", "RS-485", "RS-485 ECHO"}, true, ButtonsLast},
};

QStringList Entries(const QComboBox* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->itemText(i));
    return entries;
}

using ModelWindows = WindowTest;

TEST_F(ModelWindows, EachModelHasItsCaptionListsAndSlot)
{
    for (const Expected& expected : Models) {
        SCOPED_TRACE(expected.model);
        data.ModelConfigs[size_t(expected.slot)].CustomBaud = 1000u + uint32_t(expected.slot);
        Open(expected.model);
        EXPECT_EQ(window->objectName(), QString::fromUtf8(expected.objectName));
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(expected.caption));
        EXPECT_EQ(Edit("Edit1")->text(), QString::number(1000 + expected.slot));
        if (expected.tx.isEmpty()) {
            EXPECT_EQ(window->findChildren<QComboBox*>().size(), 4);
        } else {
            EXPECT_EQ(Entries(TxList()), expected.tx);
            EXPECT_EQ(Entries(RxList()), expected.rx);
        }
        const QString unit = expected.baudUnit ? QStringLiteral(" Bd") : QString();
        EXPECT_EQ(Entries(BaudList()),
                  (QStringList{"600", "1200", "2400", "4800", "9600", "19200", "38400", "57600",
                               "115200"}
                       .replaceInStrings(QRegularExpression("$"), unit)
                   << QStringLiteral("Volitelná")));
        data.ModelConfigs[size_t(expected.slot)] = DefaultModelConfig();
    }
}

TEST_F(ModelWindows, DefaultsAreShownInEveryWindow)
{
    for (const Expected& expected : Models) {
        SCOPED_TRACE(expected.model);
        Open(expected.model);
        const ControlNames& names = *window->Model().names;
        EXPECT_EQ(BaudList()->currentText(),
                  expected.baudUnit ? QStringLiteral("9600 Bd") : QStringLiteral("9600"));
        EXPECT_EQ(List(names.parityList)->currentText(), QStringLiteral("ano"));
        EXPECT_EQ(List(names.dataBitsList)->currentText(), QStringLiteral("8 bitů"));
        EXPECT_EQ(List(names.stopBitsList)->currentText(), QStringLiteral("jeden"));
        EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("9600"));
        EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("0,200"));
        if (!expected.tx.isEmpty()) {
            EXPECT_EQ(TxList()->currentText(), QStringLiteral("ZEMO"));
            EXPECT_EQ(RxList()->currentText(), expected.rx[0]);
        }
    }
}

TEST_F(ModelWindows, ModesOneAndThreeNameEachModelsOwnEntries)
{
    data.InterfaceType = 0;
    for (TZEMO& slot : data.ModelConfigs) {
        slot.RxMode = 1;
        slot.TxMode = 3;
    }
    const std::map<std::string, std::pair<QString, QString>> shown = {
        {"KQ-3110", {"RTS", "RS-422"}}, {"KQ-3120", {"RTS", "RS-422"}},
        {"KQ-3130", {"", "RS-485 ECHO"}}, {"KQ-3140", {"RTS", "RS-485 ECHO"}},
        {"KQ-3210", {"", "RS-422"}},    {"KQ-3220", {"", "RS-422"}},
        {"RZ-310", {"RTS", "RS-485"}},
    };
    for (const auto& [model, texts] : shown) {
        SCOPED_TRACE(model);
        Open(model.c_str());
        EXPECT_EQ(TxList()->currentText(), texts.first);
        EXPECT_EQ(TxList()->currentIndex() == -1, texts.first.isEmpty());
        EXPECT_EQ(RxList()->currentText(), texts.second);
    }
}

// The object names of a window's lists and labels, which differ between models.
struct Names {
    const char* txList;  // empty: no mode lists
    const char* txLabel;
    const char* rxList;
    const char* rxLabel;
    std::array<const char*, 4> lineLists;  // speed, parity, data length, stop bits
    std::array<const char*, 4> lineLabels;
    const char* customBaudLabel;
    const char* holdTimeLabel;
    const char* noteLabel;
};

const Names StandardNames = {"ComboBox1", "Label1", "ComboBox2", "Label2",
                             {"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"},
                             {"Label3", "Label4", "Label5", "Label6"},
                             "Label7", "Label8", "Label9"};
const Names Kq3140Names = {"ComboBox5", "Label7", "ComboBox6", "Label8",
                           {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4"},
                           {"Label1", "Label2", "Label3", "Label4"},
                           "Label5", "Label6", "Label9"};
const Names Kq3230Names = {"", "", "", "",
                           {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4"},
                           {"Label1", "Label2", "Label3", "Label4"},
                           "Label5", "Label6", "Label7"};

TEST_F(ModelWindows, ControlsBearTheirModelsNamesAndPlaces)
{
    struct Layout {
        const char* model;
        const Names& names;
        const char* lineGroup;
        QString lineCaption;
        int lineX;
        int holdX;
        int rxY;
        std::map<const char*, const char*> labels;
    };
    const std::vector<Layout> layouts = {
        {"KQ-3110", StandardNames, "GroupBox2", " ZEMO ", 160, 192, 96,
         {{"Label1", "TX Mode (TX_En)"}, {"Label7", "Volitelná [Bd]"}, {"Label9", "Poznámka"}}},
        {"KQ-3120", StandardNames, "GroupBox2", " ZEMO ", 160, 192, 96, {}},
        {"KQ-3130", StandardNames, "GroupBox2", " ZEMO ", 160, 192, 96, {}},
        {"KQ-3140", Kq3140Names, "GroupBox3", " ZEMO ", 160, 192, 96,
         {{"Label7", "TX Mode (TX_En)"}, {"Label8", "RX Mode (RX_En)"}, {"Label1", "Baud"},
          {"Label4", "Stop bity"}, {"Label5", "Volitelná [Bd]"}, {"Label6", "Přesah [ms]"}}},
        {"KQ-3210", StandardNames, "GroupBox2", "ZEMO", 160, 200, 96,
         {{"Label8", "Přesah [ms]"}}},
        {"KQ-3220", StandardNames, "GroupBox2", " ZEMO ", 160, 192, 96, {}},
        {"KQ-3230", Kq3230Names, "GroupBox1", " ZEMO ", 88, 192, 0,
         {{"Label1", "Baud"}, {"Label7", "Poznámka"}}},
        {"RZ-310", StandardNames, "GroupBox2", " ZEMO ", 160, 192, 88,
         {{"Label2", "RX Mode (RX_En)"}}},
    };
    // Left edge and width of a control, and its top, in its parent.
    const auto place = [](const QWidget* widget) {
        return std::tuple(widget->x(), widget->y(), widget->width());
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.model);
        Open(layout.model);
        const Names& names = layout.names;
        auto* group = Find<QGroupBox>(layout.lineGroup);
        EXPECT_EQ(group->title(), layout.lineCaption);
        EXPECT_EQ(group->geometry(), QRect(layout.lineX, 16, 369, 137));
        for (size_t i = 0; i < 4; ++i) {
            const int x = 16 + 88 * int(i);
            auto* list = List(names.lineLists[i]);
            EXPECT_EQ(list->parentWidget(), group) << names.lineLists[i];
            EXPECT_EQ(place(list), std::tuple(x, 40, 73)) << names.lineLists[i];
            EXPECT_EQ(Find<QLabel>(names.lineLabels[i])->pos(), QPoint(x, 24));
        }
        EXPECT_EQ(Edit("Edit1")->parentWidget(), group);
        EXPECT_EQ(place(Edit("Edit1")), std::tuple(16, 96, 73));
        EXPECT_EQ(Find<QLabel>(names.customBaudLabel)->pos(), QPoint(16, 80));
        EXPECT_EQ(Edit("Edit2")->parentWidget(), group);
        EXPECT_EQ(place(Edit("Edit2")), std::tuple(layout.holdX, 96, 73));
        EXPECT_EQ(Find<QLabel>(names.holdTimeLabel)->pos(), QPoint(layout.holdX, 80));
        EXPECT_EQ(Find<QLabel>(names.holdTimeLabel)->parentWidget(), group);
        EXPECT_EQ(Edit("Edit3")->geometry(), QRect(16, 192, 513, 21));
        EXPECT_EQ(Find<QLabel>(names.noteLabel)->pos(), QPoint(16, 176));
        for (const auto& [name, text] : layout.labels)
            EXPECT_EQ(Find<QLabel>(name)->text(), QString::fromUtf8(text)) << name;

        if (layout.rxY != 0) {
            auto* modeGroup = List(names.txList)->parentWidget();
            EXPECT_EQ(modeGroup->geometry(), QRect(16, 16, 129, 137));
            EXPECT_EQ(place(List(names.txList)), std::tuple(16, 40, 97));
            EXPECT_EQ(Find<QLabel>(names.txLabel)->pos(), QPoint(16, 24));
            EXPECT_EQ(List(names.rxList)->parentWidget(), modeGroup);
            EXPECT_EQ(place(List(names.rxList)), std::tuple(16, layout.rxY, 97));
            EXPECT_EQ(Find<QLabel>(names.rxLabel)->pos(), QPoint(16, layout.rxY - 16));
            EXPECT_EQ(Find<QLabel>(names.rxLabel)->parentWidget(), modeGroup);
        } else {
            EXPECT_EQ(window->findChildren<QGroupBox*>().size(), 1);
        }

        const std::pair<const char*, int> buttons[] = {
            {"Button1", 104}, {"Button2", 184}, {"Button3", 288}, {"Button4", 368}};
        for (const auto& [name, x] : buttons) {
            EXPECT_EQ(Find<QPushButton>(name)->parentWidget(), window.get()) << name;
            EXPECT_EQ(Find<QPushButton>(name)->geometry(), QRect(x, 240, 75, 25)) << name;
        }
    }
    Open("KQ-3210");
    EXPECT_EQ(Find<QGroupBox>("GroupBox1")->title(), QStringLiteral("Řízení"));
    Open("KQ-3120");
    EXPECT_EQ(Find<QGroupBox>("GroupBox1")->title(), QStringLiteral(" Řízení "));
}

TEST_F(ModelWindows, FocusStartsOnTheFirstControlAndFollowsTheModelsOrder)
{
    for (const Expected& expected : Models) {
        SCOPED_TRACE(expected.model);
        Open(expected.model);
        std::vector<QString> controls;
        for (const char* name : expected.focus)
            controls.push_back(QString::fromUtf8(name));
        EXPECT_EQ(window->focusWidget()->objectName(), controls.front());

        std::vector<QString> chain;
        QWidget* widget = Find<QWidget>(expected.focus[0]);
        for (size_t steps = 0; steps < 200 && chain.size() < controls.size(); ++steps) {
            if (std::find(controls.begin(), controls.end(), widget->objectName()) != controls.end())
                chain.push_back(widget->objectName());
            widget = widget->nextInFocusChain();
        }
        EXPECT_EQ(chain, controls);
    }
}

TEST_F(ModelWindows, KQ3120AndKQ3220ShareSlotOne)
{
    Open("KQ-3120");
    TxList()->setCurrentIndex(3);
    Edit("Edit3")->setText(QStringLiteral("z KQ-3120"));
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[1].TxMode, 3);

    Open("KQ-3220");
    EXPECT_EQ(Edit("Edit3")->text().trimmed(), QStringLiteral("z KQ-3120"));
    EXPECT_EQ(TxList()->currentIndex(), -1);  // no "RTS" in this model
    Edit("Edit3")->setText(QStringLiteral("z KQ-3220"));
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[1].TxMode, 255);

    Open("KQ-3120");
    EXPECT_EQ(Edit("Edit3")->text(), QStringLiteral("z KQ-3220") + QString(50, QLatin1Char(' ')));
    EXPECT_EQ(TxList()->currentIndex(), -1);

    // Such a record is never written: the module would get a garbled mode.
    Connect();
    Click("Button1");
    EXPECT_EQ(window->StatusText(),
              QStringLiteral(" Nastavení obsahuje neplatnou volbu - zápis nelze provést."));
    EXPECT_TRUE(testdriver::CallsTo("Send").empty());
    for (int slot : {0, 2, 3, 4, 5, 6})
        EXPECT_EQ(data.ModelConfigs[size_t(slot)], DefaultModelConfig());
}

TEST_F(ModelWindows, KQ3230KeepsTheModesItDoesNotShow)
{
    data.ModelConfigs[5].TxMode = 2;
    data.ModelConfigs[5].RxMode = 1;
    Open("KQ-3230");
    List("ComboBox4")->setCurrentIndex(1);
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[5].TxMode, 2);
    EXPECT_EQ(data.ModelConfigs[5].RxMode, 1);
    EXPECT_EQ(data.ModelConfigs[5].StopBitsIndex, 1);

    Connect();
    Open("KQ-3230");
    Click("Button1");
    EXPECT_EQ(module.registers[59], 6);
    module.registers[59] = 0x01;
    Click("Button2");
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[5].TxMode, 1);
    EXPECT_EQ(data.ModelConfigs[5].RxMode, 0);
}

TEST_F(ModelWindows, RZ310TakesItsThirdReceiveMode)
{
    Connect();
    Open("RZ-310");
    RxList()->setCurrentText(QStringLiteral("RS-485 ECHO"));
    Click("Button1");
    EXPECT_EQ(window->StatusText(), QStringLiteral(" Konfigurace zapsána."));
    EXPECT_EQ(module.registers[59], 8);
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[6].RxMode, 2);

    Open("RZ-310");
    EXPECT_EQ(RxList()->currentText(), QStringLiteral("RS-485 ECHO"));
    RxList()->setCurrentIndex(0);
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[6].RxMode, 0);
}

TEST_F(ModelWindows, KQ3130ListsTakeTypedTextThatNamesAnEntry)
{
    Open("KQ-3130");
    EXPECT_TRUE(TxList()->isEditable());
    TxList()->setEditText(QStringLiteral("ON"));
    List("ComboBox4")->setEditText(QStringLiteral("ne"));
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[2].TxMode, 1);
    EXPECT_EQ(data.ModelConfigs[2].ParityIndex, 0);

    Open("KQ-3130");
    TxList()->setEditText(QStringLiteral("RTS"));
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[2].TxMode, 255);

    Open("KQ-3110");
    EXPECT_FALSE(TxList()->isEditable());
}

} // namespace
