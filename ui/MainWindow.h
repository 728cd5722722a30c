// The main window TForm1: owns the program record for the whole run, opens every other window
// and shows the connected module in its status bar.
#pragma once

#include "core/Records.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QDialog;
class StatusPanels;
class TForm15;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TData* ProgramData() const { return programData_.get(); }

    // Told why the settings could not be stored when the program ends. A message box unless
    // replaced.
    using SaveFailureNotice = std::function<void(const QString& reason)>;
    void SetSaveFailureNotice(SaveFailureNotice notice);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Creates the program record; null when that fails.
    virtual std::unique_ptr<TData> CreateRecord();

private slots:
    void Pipojen1Click();
    void TypKQ3110Click();
    void TypKQ3120Click();
    void TypKQ3130Click();
    void TypKq3140Click();
    void TypKQ3210Click();
    void TypKQ3220Click();
    void TypKQ3230Click();
    void TypRZ310Click();
    void Statusregistr1Click();
    void Konec2Click();

private:
    void BuildMenu();
    void BuildStatusBar();
    void FormShow();
    void FormClose();

    // Opens the configuration window of the model ("KQ-3110" …).
    void OpenModelWindow(const QString& model);
    // Shows the window modally; it is destroyed when it closes, after `afterClose` ran.
    void ShowModal(QDialog* window, const std::function<void()>& afterClose = {});
    void ShowConnectionPanels();

    StatusPanels* statusBar1_ = nullptr;
    TForm15* statusWindow_ = nullptr;
    std::unique_ptr<TData> programData_;
    SaveFailureNotice saveFailureNotice_;
    bool shown_ = false;
};
