// The connection dialog TForm2: the user picks the interface and its parameters and opens the
// connection to the module. The attempt itself lives in config/Connection.
#pragma once

#include "config/Connection.h"
#include "core/Records.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    // The program record the dialog works on; without one it does nothing.
    void SetProgramData(TData* record) { programData_ = record; }

public slots:
    void ComboBox2Change();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void ShowParameterRows(const ParameterRows& rows);
    void ShowStatus(const QString& text);

    TData* programData_ = nullptr;
    QComboBox* comboBox2_ = nullptr;  // interface
    std::array<QLabel*, 3> rowLabels_{};
    std::array<QLineEdit*, 3> rowEdits_{};
    QLineEdit* edit1_ = nullptr;      // module address
    QComboBox* comboBox1_ = nullptr;  // bus speed
    QLabel* panel1_ = nullptr;        // status of the connection
};
