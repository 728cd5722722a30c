// The configuration window of one module model, built from its catalogue entry. It works on a
// copy of the model's slot of the program record: shows it, takes the user's entries into it
// with checks, reads it from and writes it to the module, and stores it back on "Ok".
#pragma once

#include "ModelCatalogue.h"

#include "config/EntryChecks.h"
#include "core/Records.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class StatusPanels;

class ConfigWindow : public QDialog {
    Q_OBJECT

public:
    explicit ConfigWindow(const ModelDescription& model, QWidget* parent = nullptr);
    ~ConfigWindow() override;

    // The program record, owned by the opener; set before the window is shown. May be null.
    void SetProgramData(TData* programData) { programData_ = programData; }

    const ModelDescription& Model() const { return model_; }
    const TZEMO& WorkConfig() const { return workConfig_; }
    QString StatusText() const;

    // The regional decimal separator of the hold time; the system's by default.
    void SetDecimalSeparator(QChar separator) { decimalSeparator_ = separator; }

    void Button1Click();  // "Zapsat"
    void Button2Click();  // "Přečíst"
    void Button3Click();  // "Ok"
    void Button4Click();  // "Cancel"

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class StatusReporter;

    void BuildModeGroup();
    void BuildLineGroup();
    void BuildNoteAndButtons();
    void SetInitialContents();
    void SetFocusOrder();
    QWidget* ControlWidget(Control control) const;

    void FormShow();
    void ZapisOkno(const TZEMO& record);
    void PrectiOkno(TZEMO& record);
    void PrectiData(TZEMO& record);
    void ZapisData(const TZEMO& record);
    WindowEntries Entries() const;
    int SelectedIndex(const QComboBox* list) const;

    void SetStatus(const QString& text);
    bool StatusIsAllWell() const;
    bool ConnectionIsReady();
    template <typename Sequence> void RunGuarded(Sequence sequence);
    void SetButtonsEnabled(bool enabled);

    const ModelDescription& model_;
    TData* programData_ = nullptr;
    TZEMO workConfig_;
    QChar decimalSeparator_;
    bool sequenceRunning_ = false;
    bool closeRequested_ = false;

    QGroupBox* modeGroup_ = nullptr;
    QGroupBox* lineGroup_ = nullptr;
    QComboBox* txList_ = nullptr;
    QComboBox* rxList_ = nullptr;
    QComboBox* baudList_ = nullptr;
    QComboBox* parityList_ = nullptr;
    QComboBox* dataBitsList_ = nullptr;
    QComboBox* stopBitsList_ = nullptr;
    QLineEdit* customBaudEdit_ = nullptr;
    QLineEdit* holdTimeEdit_ = nullptr;
    QLineEdit* noteEdit_ = nullptr;
    QPushButton* writeButton_ = nullptr;
    QPushButton* readButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    StatusPanels* statusBar_ = nullptr;
};
