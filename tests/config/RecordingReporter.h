// A reporter that logs what a sequence asks of it, with the number of Send calls made so far.
#pragma once

#include "config/SequenceReporter.h"

#include "ScriptControl.h"

#include <QString>
#include <QStringList>

#include <vector>

struct ReporterEvent {
    enum Kind { Text, Repaint, Events, Pause } kind;
    QString text;
    size_t sendsBefore;
};

class RecordingReporter : public SequenceReporter {
public:
    void SetStatusText(const QString& text) override { Log(ReporterEvent::Text, text); }
    void RepaintStatus() override { Log(ReporterEvent::Repaint); }
    void ProcessPendingEvents() override { Log(ReporterEvent::Events); }
    void PauseOneMillisecond() override { Log(ReporterEvent::Pause); }

    QStringList Texts() const
    {
        QStringList texts;
        for (const ReporterEvent& event : events) {
            if (event.kind == ReporterEvent::Text)
                texts.append(event.text);
        }
        return texts;
    }

    // Sends made before each pause.
    std::vector<size_t> PauseOffsets() const
    {
        std::vector<size_t> offsets;
        for (const ReporterEvent& event : events) {
            if (event.kind == ReporterEvent::Pause)
                offsets.push_back(event.sendsBefore);
        }
        return offsets;
    }

    std::vector<ReporterEvent> events;

private:
    void Log(ReporterEvent::Kind kind, const QString& text = {})
    {
        events.push_back({kind, text, testdriver::CallsTo("Send").size()});
    }
};
