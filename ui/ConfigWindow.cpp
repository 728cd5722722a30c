#include "ConfigWindow.h"

#include "StatusPanels.h"
#include "WindowStyle.h"

#include "config/Connection.h"
#include "config/Sequences.h"
#include "config/StatusTexts.h"
#include "core/Pause.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <limits>

namespace {

constexpr int ClientWidth = 548;
constexpr int ClientHeight = 300;
constexpr int StatusBarHeight = 19;
constexpr int FieldHeight = 21;
constexpr int ButtonY = 240;

constexpr int DefaultTxIndex = 0;
constexpr int DefaultBaudIndex = 4;
constexpr int DefaultParityIndex = 1;
constexpr int DefaultDataBitsIndex = 3;
constexpr int DefaultStopBitsIndex = 0;

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QLabel* AddLabel(QWidget* parent, const char* name, const char* caption, int x, int y)
{
    auto* label = new QLabel(Text(caption), parent);
    label->setObjectName(Text(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QComboBox* AddList(QWidget* parent, const char* name, std::span<const char* const> entries,
                   bool editable, QRect geometry)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(Text(name));
    for (const char* entry : entries)
        list->addItem(Text(entry));
    if (editable) {
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
    }
    list->setGeometry(geometry);
    return list;
}

QLineEdit* AddEdit(QWidget* parent, const char* name, QRect geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(Text(name));
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setGeometry(geometry);
    return edit;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int x)
{
    auto* button = new QPushButton(Text(caption), parent);
    button->setObjectName(Text(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(x, ButtonY, 75, 25);
    return button;
}

// Selects the entry of the index; an index beyond the list leaves no entry selected.
void Select(QComboBox* list, int index)
{
    list->setCurrentIndex(index < list->count() ? index : -1);
}

} // namespace

// Lets the sequences show their progress in the window's status line.
class ConfigWindow::StatusReporter : public SequenceReporter {
public:
    explicit StatusReporter(ConfigWindow& window) : window_(window) {}

    void SetStatusText(const QString& text) override { window_.SetStatus(text); }
    void RepaintStatus() override { window_.statusBar_->repaint(); }
    void ProcessPendingEvents() override { QCoreApplication::processEvents(); }
    void PauseOneMillisecond() override { PauseBriefly(std::chrono::milliseconds(1)); }

private:
    ConfigWindow& window_;
};

ConfigWindow::ConfigWindow(const ModelDescription& model, QWidget* parent)
    : QDialog(parent), model_(model)
{
    // The default locale is the system's regional settings, as the program never sets another.
    const QString decimalPoint = QLocale().decimalPoint();
    decimalSeparator_ = decimalPoint.isEmpty() ? QLatin1Char('.') : decimalPoint.front();

    setObjectName(Text(model_.windowClass + 1));
    setWindowTitle(Text(model_.caption));
    ApplyProgramFont(this);
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);

    if (model_.layout->hasModeGroup)
        BuildModeGroup();
    BuildLineGroup();
    BuildNoteAndButtons();
    SetInitialContents();
    SetFocusOrder();
    CenterOnScreen(this);
}

ConfigWindow::~ConfigWindow() = default;

void ConfigWindow::BuildModeGroup()
{
    const ControlNames& names = *model_.names;
    const LayoutVariant& layout = *model_.layout;
    modeGroup_ = new QGroupBox(Text(layout.modeGroupCaption), this);
    modeGroup_->setObjectName(Text(names.modeGroup));
    modeGroup_->setGeometry(16, 16, 129, 137);

    AddLabel(modeGroup_, names.txLabel, "TX Mode (TX_En)", 16, 24);
    txList_ = AddList(modeGroup_, names.txList, model_.txEntries, model_.editableLists,
                      {16, 40, 97, FieldHeight});
    AddLabel(modeGroup_, names.rxLabel, "RX Mode (RX_En)", 16, layout.rxLabelY);
    rxList_ = AddList(modeGroup_, names.rxList, model_.rxEntries, model_.editableLists,
                      {16, layout.rxListY, 97, FieldHeight});
}

void ConfigWindow::BuildLineGroup()
{
    const ControlNames& names = *model_.names;
    const LayoutVariant& layout = *model_.layout;
    lineGroup_ = new QGroupBox(Text(layout.lineGroupCaption), this);
    lineGroup_->setObjectName(Text(names.lineGroup));
    lineGroup_->setGeometry(layout.lineGroupX, 16, 369, 137);

    const bool editable = model_.editableLists;
    AddLabel(lineGroup_, names.baudLabel, "Baud", 16, 24);
    baudList_ = AddList(lineGroup_, names.baudList, model_.baudEntries, editable,
                        {16, 40, 73, FieldHeight});
    AddLabel(lineGroup_, names.parityLabel, "Parita", 104, 24);
    parityList_ = AddList(lineGroup_, names.parityList, ParityEntries, editable,
                          {104, 40, 73, FieldHeight});
    AddLabel(lineGroup_, names.dataBitsLabel, "Délka", 192, 24);
    dataBitsList_ = AddList(lineGroup_, names.dataBitsList, DataBitsEntries, editable,
                            {192, 40, 73, FieldHeight});
    AddLabel(lineGroup_, names.stopBitsLabel, "Stop bity", 280, 24);
    stopBitsList_ = AddList(lineGroup_, names.stopBitsList, StopBitsEntries, editable,
                            {280, 40, 73, FieldHeight});

    AddLabel(lineGroup_, names.customBaudLabel, "Volitelná [Bd]", 16, 80);
    customBaudEdit_ = AddEdit(lineGroup_, "Edit1", {16, 96, 73, FieldHeight});
    AddLabel(lineGroup_, names.holdTimeLabel, "Přesah [ms]", layout.holdTimeX, 80);
    holdTimeEdit_ = AddEdit(lineGroup_, "Edit2", {layout.holdTimeX, 96, 73, FieldHeight});
}

void ConfigWindow::BuildNoteAndButtons()
{
    AddLabel(this, model_.names->noteLabel, "Poznámka", 16, 176);
    noteEdit_ = AddEdit(this, "Edit3", {16, 192, 513, FieldHeight});

    writeButton_ = AddButton(this, "Button1", "Zapsat", 104);
    readButton_ = AddButton(this, "Button2", "Přečíst", 184);
    okButton_ = AddButton(this, "Button3", "Ok", 288);
    cancelButton_ = AddButton(this, "Button4", "Cancel", 368);
    connect(writeButton_, &QPushButton::clicked, this, &ConfigWindow::Button1Click);
    connect(readButton_, &QPushButton::clicked, this, &ConfigWindow::Button2Click);
    connect(okButton_, &QPushButton::clicked, this, &ConfigWindow::Button3Click);
    connect(cancelButton_, &QPushButton::clicked, this, &ConfigWindow::Button4Click);

    statusBar_ = new StatusPanels({ClientWidth}, this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setGeometry(0, ClientHeight - StatusBarHeight, ClientWidth, StatusBarHeight);
}

void ConfigWindow::SetInitialContents()
{
    if (txList_) {
        Select(txList_, DefaultTxIndex);
        Select(rxList_, model_.initialRx);
    }
    Select(baudList_, DefaultBaudIndex);
    Select(parityList_, DefaultParityIndex);
    Select(dataBitsList_, DefaultDataBitsIndex);
    Select(stopBitsList_, DefaultStopBitsIndex);
    customBaudEdit_->setText(QStringLiteral("9600"));
    holdTimeEdit_->setText(QStringLiteral("0,200"));
    noteEdit_->setText(DefaultModelConfig().Note);
}

QWidget* ConfigWindow::ControlWidget(Control control) const
{
    switch (control) {
    case Control::TxList: return txList_;
    case Control::RxList: return rxList_;
    case Control::BaudList: return baudList_;
    case Control::ParityList: return parityList_;
    case Control::DataBitsList: return dataBitsList_;
    case Control::StopBitsList: return stopBitsList_;
    case Control::CustomBaudEdit: return customBaudEdit_;
    case Control::HoldTimeEdit: return holdTimeEdit_;
    case Control::NoteEdit: return noteEdit_;
    case Control::WriteButton: return writeButton_;
    case Control::ReadButton: return readButton_;
    case Control::OkButton: return okButton_;
    case Control::CancelButton: return cancelButton_;
    }
    return nullptr;
}

void ConfigWindow::SetFocusOrder()
{
    QWidget* previous = nullptr;
    for (Control control : model_.focusOrder) {
        QWidget* widget = ControlWidget(control);
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    ControlWidget(model_.focusOrder.front())->setFocus();
}

QString ConfigWindow::StatusText() const
{
    return statusBar_->PanelText(0);
}

void ConfigWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void ConfigWindow::closeEvent(QCloseEvent* event)
{
    if (sequenceRunning_) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ConfigWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();  // no default and no cancel button
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void ConfigWindow::FormShow()
{
    if (!programData_)
        return;
    workConfig_ = programData_->ModelConfigs[size_t(model_.slot)];
    ZapisOkno(workConfig_);
    SetStatus(AllWellText);
}

void ConfigWindow::ZapisOkno(const TZEMO& record)
{
    if (txList_) {
        Select(txList_, record.TxMode);
        Select(rxList_, record.RxMode);
    }
    Select(baudList_, record.BaudIndex);
    Select(parityList_, record.ParityIndex);
    Select(dataBitsList_, record.DataBitsIndex);
    Select(stopBitsList_, record.StopBitsIndex);
    customBaudEdit_->setText(QString::number(record.CustomBaud));
    holdTimeEdit_->setText(FormatHoldTime(record.OverhangUs, decimalSeparator_));
    noteEdit_->setText(record.Note);
}

int ConfigWindow::SelectedIndex(const QComboBox* list) const
{
    // In an editable list the typed text counts: it selects the entry it names, if any.
    if (list->isEditable())
        return list->findText(list->currentText());
    return list->currentIndex();
}

WindowEntries ConfigWindow::Entries() const
{
    WindowEntries entries;
    entries.hasModeLists = txList_ != nullptr;
    if (txList_) {
        entries.txIndex = SelectedIndex(txList_);
        entries.rxIndex = SelectedIndex(rxList_);
    }
    entries.baudIndex = SelectedIndex(baudList_);
    entries.parityIndex = SelectedIndex(parityList_);
    entries.dataBitsIndex = SelectedIndex(dataBitsList_);
    entries.stopBitsIndex = SelectedIndex(stopBitsList_);
    entries.customBaud = customBaudEdit_->text();
    entries.holdTime = holdTimeEdit_->text();
    entries.note = noteEdit_->text();
    return entries;
}

void ConfigWindow::PrectiOkno(TZEMO& record)
{
    const EntryCheck check = CheckEntries(Entries(), record, decimalSeparator_);
    if (!check.Passed()) {
        SetStatus(QLatin1Char(' ') + check.failure);
        return;
    }
    record = check.record;
    SetStatus(AllWellText);
}

void ConfigWindow::PrectiData(TZEMO& record)
{
    StatusReporter reporter(*this);
    ::PrectiData(programData_, record, reporter);
}

void ConfigWindow::ZapisData(const TZEMO& record)
{
    StatusReporter reporter(*this);
    ::ZapisData(programData_, record, reporter);
}

void ConfigWindow::SetStatus(const QString& text)
{
    statusBar_->SetPanelText(0, text);
}

bool ConfigWindow::StatusIsAllWell() const
{
    return StatusText().size() == 1;
}

bool ConfigWindow::ConnectionIsReady()
{
    if (ConnectionReady(*programData_))
        return true;
    SetStatus(ConnectionNotReadyText());
    return false;
}

void ConfigWindow::SetButtonsEnabled(bool enabled)
{
    for (QPushButton* button : {writeButton_, readButton_, okButton_, cancelButton_})
        button->setEnabled(enabled);
}

// Runs a sequence with the buttons disabled, so that the events it lets through start no
// second sequence and store nothing; a close asked for meanwhile happens afterwards.
template <typename Sequence> void ConfigWindow::RunGuarded(Sequence sequence)
{
    QWidget* focused = focusWidget();
    sequenceRunning_ = true;
    SetButtonsEnabled(false);
    sequence();
    SetButtonsEnabled(true);
    sequenceRunning_ = false;
    if (focused)
        focused->setFocus();
    if (closeRequested_) {
        closeRequested_ = false;
        reject();
    }
}

void ConfigWindow::Button1Click()
{
    if (!programData_ || sequenceRunning_ || !ConnectionIsReady())
        return;
    PrectiOkno(workConfig_);
    if (StatusIsAllWell())
        RunGuarded([this] { ZapisData(workConfig_); });
}

void ConfigWindow::Button2Click()
{
    if (!programData_ || sequenceRunning_ || !ConnectionIsReady())
        return;
    RunGuarded([this] {
        PrectiData(workConfig_);
        ZapisOkno(workConfig_);
    });
}

void ConfigWindow::Button3Click()
{
    if (!programData_ || sequenceRunning_)
        return;
    PrectiOkno(workConfig_);
    if (!StatusIsAllWell())
        return;
    programData_->ModelConfigs[size_t(model_.slot)] = workConfig_;
    accept();
}

void ConfigWindow::Button4Click()
{
    if (!sequenceRunning_)
        reject();
}
