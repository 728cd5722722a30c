// How serkon-cli shows work under way on standard error: on a terminal a single line with a
// progress bar that is redrawn in place; otherwise every text on a line of its own, for logs.
#pragma once

#include "config/SequenceReporter.h"

#include <QString>

#include <optional>

class ProgressOutput {
public:
    enum class Style { Bar, Lines, Silent };

    explicit ProgressOutput(Style style) : style_(style) {}
    ~ProgressOutput() { ClearBar(); }
    ProgressOutput(const ProgressOutput&) = delete;
    ProgressOutput& operator=(const ProgressOutput&) = delete;

    // A bar when standard error is a terminal, lines otherwise; nothing but errors when quiet.
    static Style StyleFor(bool quiet);

    // A text of work under way, with the percentage done when it has one. The leading blank of
    // the program's status texts is dropped.
    void Progress(const QString& text, std::optional<int> percent = std::nullopt);
    // A text that ends a piece of work.
    void Note(const QString& text);
    // Shown in every style.
    void Error(const QString& text);
    // Takes the bar off its line, so that other output can go to the terminal.
    void ClearBar();

private:
    void WriteLine(const QString& text);

    Style style_;
    bool barShown_ = false;
};

// Shows a configuration sequence's progress texts as they come. The text it ends with (done,
// or what went wrong) is left to the caller, who knows which of the two it is.
class SequenceProgress : public SequenceReporter {
public:
    explicit SequenceProgress(ProgressOutput& output) : output_(output) {}

    void SetStatusText(const QString& text) override { text_ = text; }
    void RepaintStatus() override;
    void ProcessPendingEvents() override {}
    void PauseOneMillisecond() override;

    const QString& LastText() const { return text_; }

private:
    ProgressOutput& output_;
    QString text_;
};

// The program's status texts begin with a blank that only a status bar needs.
QString WithoutLeadingBlank(const QString& text);
