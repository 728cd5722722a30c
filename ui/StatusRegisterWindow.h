// The status register window TForm15: shows the module's 32 status bits, refreshed every 500 ms
// while the window is visible, and clears them on "Vynulovat".
#pragma once

#include "config/StatusRegister.h"
#include "core/Records.h"

#include <QDialog>

#include <array>

class QLabel;
class QTimer;
class StatusPanels;

class TForm15 : public QDialog {
    Q_OBJECT

public:
    explicit TForm15(QWidget* parent = nullptr);

    // The program record; until it is set, ticks and buttons do nothing.
    void SetProgramData(TData* record) { programData_ = record; }

public slots:
    void Timer1Timer();
    void Button2Click();  // "Vynulovat"
    void Button1Click();  // "Cancel"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void BuildColumns();
    void ShowBits(const ModuleData& bytes);
    void ShowStatus(const QString& text);

    TData* programData_ = nullptr;
    uint8_t moduleAddress_ = 0;
    std::array<std::array<QLabel*, StatusRows>, StatusColumns> bits_{};
    StatusPanels* statusBar1_ = nullptr;
    QTimer* timer1_ = nullptr;
};
