// The status texts of the configuration sequences and of the configuration window's checks.
// Status texts begin with a single blank; the check messages are shown after one.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

inline const QString ReadDoneText = QStringLiteral(" Konfigurace přečtena.");
inline const QString WriteDoneText = QStringLiteral(" Konfigurace zapsána.");
inline const QString WriteMismatchText = QStringLiteral(" Chyba zápisu dat.");
inline const QString CharacterTimeRefusedText = QStringLiteral(" Chyba ZEMO - čas nelze nastavit");
inline const QString HoldTimeRefusedText = QStringLiteral(" Chyba ZEMO - přesah nelze nastavit");
inline const QString InvalidChoiceText =
    QStringLiteral(" Nastavení obsahuje neplatnou volbu - zápis nelze provést.");

// The all-well state of a window's status line after a successful check.
inline const QString AllWellText = QStringLiteral(" ");

inline const QString CustomBaudMessage =
    QStringLiteral("Komunikační rychlost musí být v rozsahu 300-500000 Bd.");
inline const QString HoldTimeFormatMessage =
    QStringLiteral("Chybné zadání přesahu (ověřte desetinnou tečku resp. čárku).");
inline const QString HoldTimeRangeMessage = QStringLiteral("Přesah musí být v rozsahu 0-65 ms.");

QString ReadProgressText(int percent);
QString WriteProgressText(int percent);
// The percentage that a read or write progress text shows; nothing for any other text.
std::optional<int> ProgressPercent(const QString& statusText);
// A single blank followed by the driver's text for the status code.
QString TransactionErrorText(uint8_t interfaceType, uint8_t status);
