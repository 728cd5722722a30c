#include "IniFile.h"

#include "AtomicFile.h"
#include "Cp1250.h"
#include "LineEnd.h"
#include "ReadFile.h"

#include <QList>
#include <QStringDecoder>

#include <limits>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");
const QByteArray Utf16LeBom("\xFF\xFE");
const QByteArray Utf16BeBom("\xFE\xFF");

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(const QByteArray& bytes)
{
    qsizetype first = 0;
    qsizetype last = bytes.size();
    while (first < last && IsBlank(bytes[first]))
        ++first;
    while (last > first && IsBlank(bytes[last - 1]))
        --last;
    return bytes.mid(first, last - first);
}

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool EnclosedInQuotes(const QByteArray& value)
{
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front();
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int DigitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The magnitude of the digits, if they are all digits of the base and the value stays within
// the limit.
std::optional<int64_t> ParseDigits(QStringView digits, int base, int64_t limit)
{
    if (digits.isEmpty())
        return std::nullopt;
    int64_t value = 0;
    for (QChar c : digits) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

char16_t Utf16Unit(const QByteArray& bytes, qsizetype index, bool bigEndian)
{
    const auto first = uint8_t(bytes[2 * index]);
    const auto second = uint8_t(bytes[2 * index + 1]);
    return bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
}

void AppendUtf16Unit(QByteArray& bytes, char16_t unit, bool bigEndian)
{
    const char high = char(unit >> 8);
    const char low = char(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
}

void AppendUtf8(QByteArray& bytes, char32_t code)
{
    if (code < 0x80) {
        bytes += char(code);
        return;
    }
    if (code < 0x800) {
        bytes += char(0xC0 | code >> 6);
    } else if (code < 0x10000) {
        bytes += char(0xE0 | code >> 12);
        bytes += char(0x80 | (code >> 6 & 0x3F));
    } else {
        bytes += char(0xF0 | code >> 18);
        bytes += char(0x80 | (code >> 12 & 0x3F));
        bytes += char(0x80 | (code >> 6 & 0x3F));
    }
    bytes += char(0x80 | (code & 0x3F));
}

// UTF-16 (an even number of bytes) as UTF-8. A surrogate without its partner becomes the three
// bytes of its own code, so that text which is not well-formed UTF-16 is written back unchanged.
QByteArray Utf8FromUtf16(const QByteArray& utf16, bool bigEndian)
{
    QByteArray utf8;
    utf8.reserve(utf16.size());
    const qsizetype units = utf16.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        char32_t code = Utf16Unit(utf16, i, bigEndian);
        if (QChar::isHighSurrogate(code) && i + 1 < units
            && QChar::isLowSurrogate(Utf16Unit(utf16, i + 1, bigEndian)))
            code = QChar::surrogateToUcs4(char16_t(code), Utf16Unit(utf16, ++i, bigEndian));
        AppendUtf8(utf8, code);
    }
    return utf8;
}

// The inverse of Utf8FromUtf16, for the UTF-8 it gives and what QString::toUtf8 gives.
QByteArray Utf16FromUtf8(const QByteArray& utf8, bool bigEndian)
{
    QByteArray utf16;
    utf16.reserve(2 * utf8.size());
    for (qsizetype i = 0; i < utf8.size();) {
        const auto lead = uint8_t(utf8[i++]);
        const unsigned continuations = lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t code = continuations == 0 ? lead : lead & (0x3Fu >> continuations);
        for (unsigned k = 0; k < continuations && i < utf8.size(); ++k)
            code = code << 6 | (uint8_t(utf8[i++]) & 0x3F);
        if (QChar::requiresSurrogates(code)) {
            AppendUtf16Unit(utf16, QChar::highSurrogate(code), bigEndian);
            AppendUtf16Unit(utf16, QChar::lowSurrogate(code), bigEndian);
        } else {
            AppendUtf16Unit(utf16, char16_t(code), bigEndian);
        }
    }
    return utf16;
}

} // namespace

std::optional<int32_t> ParseIniInteger(const QString& text)
{
    QStringView rest(text);
    bool negative = false;
    if (!rest.isEmpty() && (rest.front() == u'+' || rest.front() == u'-')) {
        negative = rest.front() == u'-';
        rest = rest.mid(1);
    }
    int base = 10;
    if (rest.startsWith(u'$')) {
        base = 16;
        rest = rest.mid(1);
    } else if (rest.startsWith(u"0x") || rest.startsWith(u"0X")) {
        base = 16;
        rest = rest.mid(2);
    }
    const int64_t limit = base == 16 ? int64_t(std::numeric_limits<uint32_t>::max())
                                     : int64_t(std::numeric_limits<int32_t>::max()) + 1;
    const std::optional<int64_t> magnitude = ParseDigits(rest, base, limit);
    if (!magnitude)
        return std::nullopt;
    if (base == 16) {
        const auto bits = uint32_t(*magnitude);
        return int32_t(negative ? 0u - bits : bits);
    }
    const int64_t value = negative ? -*magnitude : *magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return int32_t(value);
}

IniFile::IniFile() : newline_(PlatformLineEnd()) {}

IniFile::IniFile(IniEncoding encoding) : newline_(PlatformLineEnd())
{
    utf8_ = encoding == IniEncoding::Utf8;
}

std::optional<IniFile> IniFile::Load(const QString& path, QString* failure)
{
    QByteArray bytes;
    if (ReadWholeFile(path, bytes, failure) == FileRead::Failed)
        return std::nullopt;
    return FromBytes(bytes);
}

IniFile IniFile::FromBytes(const QByteArray& bytes, IniEncoding encoding)
{
    IniFile ini(encoding);
    ini.Parse(bytes);
    return ini;
}

int IniFile::FirstLineNotUtf8(const QByteArray& bytes)
{
    // A line end byte never occurs inside a UTF-8 sequence, so each line can be checked alone.
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        [[maybe_unused]] const QString decoded = decoder.decode(lines[i]);
        if (decoder.hasError())
            return int(i + 1);
    }
    return 0;
}

std::vector<IniEntry> IniFile::Entries() const
{
    std::vector<IniEntry> entries;
    QString section;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        IniEntry entry;
        entry.line = int(i + 1);
        entry.name = line.name;
        switch (line.kind) {
        case Kind::Section:
            entry.kind = IniEntry::Kind::Section;
            section = line.name;
            break;
        case Kind::Key:
            entry.kind = IniEntry::Kind::Key;
            entry.section = section;
            break;
        case Kind::Other: {
            const QByteArray trimmed = TrimBlanks(line.text);
            if (trimmed.isEmpty() || trimmed.front() == ';')
                continue;
            entry.kind = IniEntry::Kind::Unrecognised;
            break;
        }
        }
        entries.push_back(entry);
    }
    return entries;
}

void IniFile::Parse(const QByteArray& bytes)
{
    QByteArray content = bytes;
    if (!utf8_ && bytes.startsWith(Utf16LeBom))
        utf16_ = Utf16::LittleEndian;
    else if (!utf8_ && bytes.startsWith(Utf16BeBom))
        utf16_ = Utf16::BigEndian;
    if (utf16_ != Utf16::None) {
        content.remove(0, Utf16LeBom.size());
        if (content.size() % 2 != 0) {
            oddByte_ = content.right(1);
            content.chop(1);
        }
        content = Utf8FromUtf16(content, utf16_ == Utf16::BigEndian);
        utf8_ = true;
    } else {
        byteOrderMark_ = content.startsWith(Utf8Bom);
        utf8_ = utf8_ || byteOrderMark_;
        if (byteOrderMark_)
            content.remove(0, Utf8Bom.size());
    }

    const qsizetype firstNewline = content.indexOf('\n');
    if (firstNewline < 0)
        newline_ = PlatformLineEnd();
    else
        newline_ = firstNewline > 0 && content[firstNewline - 1] == '\r' ? "\r\n" : "\n";

    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype end = content.indexOf('\n', start);
        Line line;
        if (end < 0) {
            line.text = content.mid(start);
            start = content.size();
        } else {
            const bool crlf = end > start && content[end - 1] == '\r';
            line.text = content.mid(start, end - start - (crlf ? 1 : 0));
            line.ending = crlf ? "\r\n" : "\n";
            start = end + 1;
        }
        Classify(line);
        lines_.push_back(std::move(line));
    }
}

void IniFile::Classify(Line& line) const
{
    line.kind = Kind::Other;
    const QByteArray trimmed = TrimBlanks(line.text);
    if (trimmed.isEmpty() || trimmed.front() == ';')
        return;
    if (trimmed.front() == '[') {
        const qsizetype close = trimmed.indexOf(']');
        if (close < 0)
            return;
        line.kind = Kind::Section;
        line.name = Decode(TrimBlanks(trimmed.mid(1, close - 1)));
        return;
    }
    const qsizetype equals = line.text.indexOf('=');
    if (equals < 0)
        return;
    line.kind = Kind::Key;
    line.name = Decode(TrimBlanks(line.text.left(equals)));
    line.valueStart = equals + 1;
}

QString IniFile::Decode(const QByteArray& bytes) const
{
    return utf8_ ? QString::fromUtf8(bytes) : DecodeCp1250(bytes);
}

QByteArray IniFile::Encode(const QString& text) const
{
    return utf8_ ? text.toUtf8() : EncodeCp1250(text);
}

qsizetype IniFile::FindSection(const QString& section) const
{
    for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
        const Line& line = lines_[size_t(i)];
        if (line.kind == Kind::Section && SameName(line.name, section))
            return i;
    }
    return -1;
}

qsizetype IniFile::SectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < qsizetype(lines_.size()) && lines_[size_t(i)].kind != Kind::Section)
        ++i;
    return i;
}

qsizetype IniFile::FindKey(qsizetype header, const QString& key, bool orBareName) const
{
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = lines_[size_t(i)];
        if (line.kind == Kind::Key && SameName(line.name, key))
            return i;
        if (orBareName && line.kind == Kind::Other && !key.isEmpty()
            && SameName(Decode(TrimBlanks(line.text)), key))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::ReadString(const QString& section, const QString& key) const
{
    const qsizetype header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype index = FindKey(header, key);
    if (index < 0)
        return std::nullopt;
    const Line& line = lines_[size_t(index)];
    QByteArray value = TrimBlanks(line.text.mid(line.valueStart));
    if (EnclosedInQuotes(value))
        value = value.mid(1, value.size() - 2);
    if (!utf8_)
        return DecodeCp1250(value.left(IniValueMaxLength));
    return QString::fromUtf8(value).left(IniValueMaxLength);
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& fallback) const
{
    return ReadString(section, key).value_or(fallback);
}

int32_t IniFile::ReadInteger(const QString& section, const QString& key, int32_t fallback) const
{
    const std::optional<QString> text = ReadString(section, key);
    if (!text)
        return fallback;
    return ParseIniInteger(*text).value_or(fallback);
}

QByteArray IniFile::EncodedValue(const QString& value) const
{
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    // Quotes keep blanks at the ends, and quotes that belong to the value, when read back.
    const bool needsQuotes = !clean.isEmpty()
        && (IsBlank(clean.front()) || IsBlank(clean.back())
            || (clean.size() >= 2 && IsQuote(clean.front()) && clean.back() == clean.front()));
    if (needsQuotes)
        clean = u'"' + clean + u'"';
    return Encode(clean);
}

void IniFile::InsertLine(qsizetype index, const QByteArray& text)
{
    if (index > 0 && lines_[size_t(index - 1)].ending.isEmpty())
        lines_[size_t(index - 1)].ending = newline_;
    Line line;
    line.text = text;
    line.ending = newline_;
    Classify(line);
    lines_.insert(lines_.begin() + index, std::move(line));
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QByteArray keyLine = Encode(key) + '=' + EncodedValue(value);
    const qsizetype header = FindSection(section);
    if (header < 0) {
        if (!lines_.empty() && !TrimBlanks(lines_.back().text).isEmpty())
            InsertLine(qsizetype(lines_.size()), {});
        InsertLine(qsizetype(lines_.size()), '[' + Encode(section) + ']');
        InsertLine(qsizetype(lines_.size()), keyLine);
        return;
    }
    const qsizetype index = FindKey(header, key, true);
    if (index >= 0) {
        Line& line = lines_[size_t(index)];
        if (line.kind != Kind::Key) {
            while (!line.text.isEmpty() && IsBlank(line.text.back()))
                line.text.chop(1);
            line.text += '=';
            Classify(line);
        }
        qsizetype valueStart = line.valueStart;
        while (valueStart < line.text.size() && IsBlank(line.text[valueStart]))
            ++valueStart;
        line.text = line.text.left(valueStart) + EncodedValue(value);
        return;
    }
    qsizetype position = SectionEnd(header);
    while (position - 1 > header && TrimBlanks(lines_[size_t(position - 1)].text).isEmpty())
        --position;
    InsertLine(position, keyLine);
}

void IniFile::WriteInteger(const QString& section, const QString& key, int32_t value)
{
    WriteString(section, key, QString::number(value));
}

QByteArray IniFile::ToBytes() const
{
    QByteArray text;
    for (const Line& line : lines_)
        text += line.text + line.ending;
    switch (utf16_) {
    case Utf16::LittleEndian:
        return Utf16LeBom + Utf16FromUtf8(text, false) + oddByte_;
    case Utf16::BigEndian:
        return Utf16BeBom + Utf16FromUtf8(text, true) + oddByte_;
    case Utf16::None:
        break;
    }
    return byteOrderMark_ ? Utf8Bom + text : text;
}

bool IniFile::Save(const QString& path, QString* failure) const
{
    return ReplaceFileContents(path, ToBytes(), failure);
}
