// The eight module models and what each one's configuration window has: caption, slot in the
// program record, list entries, layout, focus order and control names. Pure data; texts UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The window's controls, for the focus order.
enum class Control : uint8_t {
    TxList,
    RxList,
    BaudList,
    ParityList,
    DataBitsList,
    StopBitsList,
    CustomBaudEdit,
    HoldTimeEdit,
    NoteEdit,
    WriteButton,
    ReadButton,
    OkButton,
    CancelButton,
};

// Object names of the controls that differ between models. The edits (Edit1 to Edit3), the
// buttons (Button1 to Button4) and StatusBar1 bear the same names in every window.
struct ControlNames {
    const char* modeGroup;  // the " Řízení " group, in models with mode lists
    const char* lineGroup;  // the " ZEMO " group
    const char* txList;
    const char* txLabel;
    const char* rxList;
    const char* rxLabel;
    const char* baudList;
    const char* baudLabel;
    const char* parityList;
    const char* parityLabel;
    const char* dataBitsList;
    const char* dataBitsLabel;
    const char* stopBitsList;
    const char* stopBitsLabel;
    const char* customBaudLabel;
    const char* holdTimeLabel;
    const char* noteLabel;
};

// Where a model's layout departs from the common one (positions in pixels).
struct LayoutVariant {
    bool hasModeGroup;
    const char* modeGroupCaption;
    const char* lineGroupCaption;
    int lineGroupX;  // of the " ZEMO " group in the window
    int holdTimeX;   // of the hold time's label and edit in their group
    int rxLabelY;    // of the RX label and list in their group
    int rxListY;
};

struct ModelDescription {
    const char* model;        // "KQ-3110"
    const char* menuEntry;    // object name of the main menu's entry
    const char* windowClass;  // "TForm14"
    const char* caption;
    int slot;                 // element of TData.ModelConfigs
    std::span<const char* const> txEntries;  // empty: no TX list
    std::span<const char* const> rxEntries;  // empty: no RX list
    int initialRx;            // RX entry selected before a record is shown
    std::span<const char* const> baudEntries;
    bool editableLists;       // lists take typed text too
    bool menuVisible;
    const LayoutVariant* layout;
    std::span<const Control> focusOrder;
    const ControlNames* names;

    bool HasModeLists() const { return !txEntries.empty(); }
};

std::span<const ModelDescription> ModelCatalogue();
// The model of that name, regardless of letter case ("kq-3110" finds the KQ-3110); nothing when
// no model has that name.
const ModelDescription* FindModel(std::string_view model);

extern const std::span<const char* const> ParityEntries;
extern const std::span<const char* const> DataBitsEntries;
extern const std::span<const char* const> StopBitsEntries;
