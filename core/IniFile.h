// An INI file as the format's home platform treats it: sections in square brackets, key=value
// lines, ';' comments, names found regardless of letter case, blanks around names and values
// ignored, a value in matching quotes read without them, the first of duplicate sections or keys
// winning. Writing changes only the lines it must: every other byte of the file, line ends
// included, stays as it was.
//
// Names and values are Windows-1250 in the file, unless the file begins with a byte-order mark:
// after a UTF-8 mark the whole file is read and written as UTF-8, after a UTF-16 mark (little- or
// big-endian) as UTF-16 of that byte order, the mark kept in either case. A document opened as
// UTF-8 explicitly is UTF-8 with or without the mark, and keeps whichever it had.
//
// A line that holds a key's name alone, without "=", has no value; a write of that key fills it.
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

enum class IniEncoding {
    Cp1250OrBom,  // Windows-1250, unless the file begins with a UTF-8 or UTF-16 byte-order mark
    Utf8,         // UTF-8; a new document is written without a byte-order mark
};

// A line of the document that means something: a section header, a key, or a line that is
// neither (blank lines and comments are left out).
struct IniEntry {
    enum class Kind { Section, Key, Unrecognised };
    Kind kind = Kind::Unrecognised;
    int line = 0;     // 1-based
    QString section;  // of a key: the section it lies in, empty before the first header
    QString name;     // of a section or key, trimmed
};

class IniFile {
public:
    IniFile();
    explicit IniFile(IniEncoding encoding);
    // Reads the file. A file that does not exist gives an empty document; one that exists but
    // cannot be read gives nothing, with the reason in `failure`, so that it is never taken for
    // an empty document and written over.
    static std::optional<IniFile> Load(const QString& path, QString* failure = nullptr);
    static IniFile FromBytes(const QByteArray& bytes,
                             IniEncoding encoding = IniEncoding::Cp1250OrBom);

    // The 1-based number of the first line that holds bytes which are not UTF-8, 0 when there
    // is none.
    static int FirstLineNotUtf8(const QByteArray& bytes);

    // The sections, keys and unrecognised lines in file order.
    std::vector<IniEntry> Entries() const;

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
    enum class Utf16 { None, LittleEndian, BigEndian };
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
    // The first key line of the name in the section, or -1; with `orBareName`, also a line
    // holding the name alone, whichever comes first.
    qsizetype FindKey(qsizetype header, const QString& key, bool orBareName = false) const;
    void InsertLine(qsizetype index, const QByteArray& text);
    QByteArray EncodedValue(const QString& value) const;

    std::vector<Line> lines_;
    QByteArray newline_;
    bool utf8_ = false;           // the lines hold UTF-8, else Windows-1250
    bool byteOrderMark_ = false;  // of a UTF-8 file
    Utf16 utf16_ = Utf16::None;   // the file is UTF-16 after its mark; its lines hold UTF-8
    QByteArray oddByte_;          // the last byte of a UTF-16 file of odd length
};
