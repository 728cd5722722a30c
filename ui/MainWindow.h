// The main window TForm1: owns the program record for the whole run.
#pragma once

#include "core/Records.h"

#include <QMainWindow>

#include <memory>

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TData* ProgramData() const { return programData_.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void FormClose();

    std::unique_ptr<TData> programData_;
    bool shown_ = false;
};
