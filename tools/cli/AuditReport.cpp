#include "AuditReport.h"

#include <QDateTime>
#include <QStringList>

namespace {

const QString HeaderLine = QStringLiteral("čas,rozhraní,adresa,modul,výsledek,kód,registr\r\n");

bool WriteAll(QFile& file, const QByteArray& bytes, QString* failure)
{
    if (file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (failure)
        *failure = file.errorString();
    return false;
}

QString LocalTimeWithOffset()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QString CsvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n')
        && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

bool AuditReport::Open(const QString& path, QString* failure)
{
    file_.setFileName(path);
    // Appending: every write lands at the end, also when other runs append at the same time.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (failure)
            *failure = file_.errorString();
        return false;
    }
    if (file_.size() == 0)
        return WriteAll(file_, HeaderLine.toUtf8(), failure);
    return true;
}

bool AuditReport::Append(const AuditEntry& entry, QString* failure)
{
    const QStringList fields = {
        LocalTimeWithOffset(),
        entry.interface,
        entry.address,
        entry.moduleName,
        entry.outcome,
        QString::number(entry.exitCode),
        entry.failingRegister ? QString::number(*entry.failingRegister) : QString(),
    };
    QStringList line;
    for (const QString& field : fields)
        line.append(CsvField(field));
    return WriteAll(file_, (line.join(u',') + QStringLiteral("\r\n")).toUtf8(), failure);
}
