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
struct ModelDescription;

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

public slots:
    // Ends the program as closing the main window does, also with windows open above it: they
    // are closed first, and one that is busy with a sequence (and closes when it has finished)
    // is waited for, with the settings stored meanwhile.
    void EndProgram();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Creates the program record; null when that fails.
    virtual std::unique_ptr<TData> CreateRecord();

private slots:
    void Pipojen1Click();
    void Statusregistr1Click();
    void Konec2Click();

private:
    void BuildMenu();
    void BuildStatusBar();
    void FormShow();
    void FormClose();

    // Opens the model's configuration window on the model's slot of the record.
    void OpenModelWindow(const ModelDescription& model);
    // Shows the window modally; it is destroyed when it closes, after `afterClose` ran.
    void ShowModal(QDialog* window, const std::function<void()>& afterClose = {});
    void ShowConnectionPanels();

    StatusPanels* statusBar1_ = nullptr;
    TForm15* statusWindow_ = nullptr;
    std::unique_ptr<TData> programData_;
    SaveFailureNotice saveFailureNotice_;
    bool shown_ = false;
    bool ending_ = false;
};
