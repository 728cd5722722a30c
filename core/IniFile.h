// An INI file as the format's home platform treats it: sections in square brackets, key=value
// lines, ';' comments, names found regardless of letter case, blanks around names and values
// ignored, a value in matching quotes read without them, the first of duplicate sections or keys
// winning. Writing changes only the lines it must: every other byte of the file, line ends
// included, stays as it was.
//
// Names and values are Windows-1250 in the file, unless the file begins with a UTF-8 byte-order
// mark, in which case the whole file is read and written as UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

inline constexpr qsizetype IniValueMaxLength = 2047;

// An optional sign and decimal digits, or hexadecimal digits after "$", "0x" or "0X".
// Hexadecimal values of up to 32 bits wrap into the signed range.
std::optional<int32_t> ParseIniInteger(const QString& text);

class IniFile {
public:
    IniFile();
    // Reads the file; a missing or unreadable file gives an empty document.
    static IniFile Load(const QString& path);
    static IniFile FromBytes(const QByteArray& bytes);

    std::optional<QString> ReadString(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    // The fallback also when the value is not an integer.
    int32_t ReadInteger(const QString& section, const QString& key, int32_t fallback) const;

    // Replaces the value of an existing key in place, or appends the key to the end of its
    // section, or appends the section to the end of the file.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int32_t value);

    QByteArray ToBytes() const;
    // Writes a temporary file beside the target and renames it over the target, so a failed save
    // leaves the old file as it was. On failure returns false with the reason.
    bool Save(const QString& path, QString* failure) const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;     // without its line end
        QByteArray ending;   // "\n", "\r\n" or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;        // section or key name, trimmed
        qsizetype valueStart = 0;  // key lines: offset of the value in text
    };

    void Parse(const QByteArray& bytes);
    void Classify(Line& line) const;
    QString Decode(const QByteArray& bytes) const;
    QByteArray Encode(const QString& text) const;
    // Index of the section's header line, or -1.
    qsizetype FindSection(const QString& section) const;
    // End (exclusive) of the section that starts at the header index.
    qsizetype SectionEnd(qsizetype header) const;
    qsizetype FindKey(qsizetype header, const QString& key) const;
    void InsertLine(qsizetype index, const QByteArray& text);
    QByteArray EncodedValue(const QString& value) const;

    std::vector<Line> lines_;
    QByteArray newline_;
    bool utf8_ = false;
};
