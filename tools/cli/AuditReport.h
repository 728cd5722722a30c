// The audit trail of `write --report`: one CSV line per run, appended, so that a batch of
// modules leaves a record of what each one received.
#pragma once

#include <QFile>
#include <QString>

#include <optional>

struct AuditEntry {
    QString interface;       // with its parameter
    QString address;
    QString moduleName;      // empty when no module was identified
    QString outcome;         // the program's text of how the run ended
    int exitCode = 0;
    std::optional<int> failingRegister;
};

class AuditReport {
public:
    // Opens the file for appending, creating it with a header line when it is new or empty.
    bool Open(const QString& path, QString* failure);
    bool IsOpen() const { return file_.isOpen(); }
    // Appends the entry with the current local time, as a single write.
    bool Append(const AuditEntry& entry, QString* failure);

private:
    QFile file_;
};

// One CSV field (RFC 4180): quoted when it holds a comma, a quote or a line break.
QString CsvField(const QString& text);
