#include "ModelCatalogue.h"

#include <array>

namespace {

constexpr std::array<const char*, 4> TxFour = {"ZEMO", "ON", "DTR", "RTS"};
constexpr std::array<const char*, 2> TxTwo = {"ZEMO", "ON"};
constexpr std::array<const char*, 2> Rx485Or422 = {"RS-485", "RS-422"};
constexpr std::array<const char*, 2> Rx485OrEcho = {"RS-485", "RS-485 ECHO"};
constexpr std::array<const char*, 3> RxRz310 = {"RS-422", "RS-485", "RS-485 ECHO"};

constexpr std::array<const char*, 10> BaudPlain = {
    "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "Volitelná"};
constexpr std::array<const char*, 10> BaudWithUnit = {
    "600 Bd",   "1200 Bd",  "2400 Bd",  "4800 Bd",   "9600 Bd",
    "19200 Bd", "38400 Bd", "57600 Bd", "115200 Bd", "Volitelná"};

constexpr std::array<const char*, 2> Parity = {"ne", "ano"};
constexpr std::array<const char*, 4> DataBits = {"5 bitů", "6 bitů", "7 bitů", "8 bitů"};
constexpr std::array<const char*, 2> StopBits = {"jeden", "dva"};

constexpr LayoutVariant StandardLayout = {true, " Řízení ", " ZEMO ", 160, 192, 80, 96};
constexpr LayoutVariant Kq3210Layout = {true, "Řízení", "ZEMO", 160, 200, 80, 96};
constexpr LayoutVariant Kq3230Layout = {false, "", " ZEMO ", 88, 192, 80, 96};
constexpr LayoutVariant Rz310Layout = {true, " Řízení ", " ZEMO ", 160, 192, 72, 88};

constexpr ControlNames StandardNames = {
    "GroupBox1", "GroupBox2", "ComboBox1", "Label1", "ComboBox2", "Label2",
    "ComboBox3", "Label3",    "ComboBox4", "Label4", "ComboBox5", "Label5",
    "ComboBox6", "Label6",    "Label7",    "Label8", "Label9"};
constexpr ControlNames Kq3140Names = {
    "GroupBox1", "GroupBox3", "ComboBox5", "Label7", "ComboBox6", "Label8",
    "ComboBox1", "Label1",    "ComboBox2", "Label2", "ComboBox3", "Label3",
    "ComboBox4", "Label4",    "Label5",    "Label6", "Label9"};
constexpr ControlNames Kq3230Names = {
    "",          "GroupBox1", "",          "",       "",          "",
    "ComboBox1", "Label1",    "ComboBox2", "Label2", "ComboBox3", "Label3",
    "ComboBox4", "Label4",    "Label5",    "Label6", "Label7"};

using enum Control;
constexpr std::array ButtonsFirst = {WriteButton,  ReadButton,    OkButton,       CancelButton,
                                     TxList,       RxList,        BaudList,       ParityList,
                                     DataBitsList, StopBitsList,  CustomBaudEdit, HoldTimeEdit,
                                     NoteEdit};
constexpr std::array ButtonsLast = {TxList,        RxList,       BaudList,       ParityList,
                                    DataBitsList,  StopBitsList, CustomBaudEdit, HoldTimeEdit,
                                    NoteEdit,      WriteButton,  ReadButton,     OkButton,
                                    CancelButton};
constexpr std::array EditsBeforeLine = {TxList,       RxList,       CustomBaudEdit, HoldTimeEdit,
                                        BaudList,     ParityList,   DataBitsList,   StopBitsList,
                                        NoteEdit,     WriteButton,  ReadButton,     OkButton,
                                        CancelButton};
constexpr std::array NoModeLists = {BaudList,       ParityList,   DataBitsList, StopBitsList,
                                    CustomBaudEdit, HoldTimeEdit, NoteEdit,     WriteButton,
                                    ReadButton,     OkButton,     CancelButton};

const std::array<ModelDescription, 8> Catalogue = {{
    {"KQ-3110", "TypKQ3110", "TForm14", " KQ-3110 - konvertor RS-232 <=> RS-422/RS-485", 0,
     TxFour, Rx485Or422, 1, BaudPlain, false, true, &StandardLayout, ButtonsFirst,
     &StandardNames},
    {"KQ-3120", "TypKQ3120", "TFormNastavKQ3120",
     " KQ-3120 - konvertor RS-232 <=> RS-422/RS-485", 1, TxFour, Rx485Or422, 0, BaudPlain,
     false, true, &StandardLayout, ButtonsLast, &StandardNames},
    {"KQ-3130", "TypKQ3130", "TForm11", " KQ-3130 - konvertor RS-422 <=> RS-485", 2, TxTwo,
     Rx485OrEcho, 0, BaudPlain, true, true, &StandardLayout, ButtonsLast, &StandardNames},
    {"KQ-3140", "TypKq3140", "TForm12", " KQ-3140 - konvertor RS-232 <=> RS-485", 3, TxFour,
     Rx485OrEcho, 0, BaudPlain, false, true, &StandardLayout, ButtonsFirst, &Kq3140Names},
    {"KQ-3210", "TypKQ3210", "TForm9", " KQ-3210 - repeater RS-422 <=> RS-422", 4, TxTwo,
     Rx485Or422, 0, BaudPlain, false, true, &Kq3210Layout, EditsBeforeLine, &StandardNames},
    {"KQ-3220", "TypKQ3220", "TFormNastavKQ3220",
     " KQ-3220 - konvertor RS-422 <=> RS-422/RS-485", 1, TxTwo, Rx485Or422, 0, BaudPlain, false,
     true, &StandardLayout, ButtonsLast, &StandardNames},
    {"KQ-3230", "TypKQ3230", "TForm3", " KQ-3230 - repeater RS-485 <=> RS-485", 5, {}, {}, -1,
     BaudWithUnit, false, true, &Kq3230Layout, NoModeLists, &Kq3230Names},
    {"RZ-310", "TypRZ310", "TForm4", " RZ-310 - konvertor RS-232 <=> RS-422/RS-485", 6, TxFour,
     RxRz310, 1, BaudWithUnit, false, false, &Rz310Layout, ButtonsLast, &StandardNames},
}};

char AsciiLower(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
}

// Model names are ASCII; a typed "kq-3110" is the KQ-3110.
bool SameLettersAnyCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

} // namespace

const std::span<const char* const> ParityEntries = Parity;
const std::span<const char* const> DataBitsEntries = DataBits;
const std::span<const char* const> StopBitsEntries = StopBits;

std::span<const ModelDescription> ModelCatalogue()
{
    return Catalogue;
}

const ModelDescription* FindModel(std::string_view model)
{
    for (const ModelDescription& description : Catalogue) {
        if (SameLettersAnyCase(model, description.model))
            return &description;
    }
    return nullptr;
}
