#include "core/IniFile.h"

#include "core/Cp1250.h"
#include "core/LineEnd.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

QByteArray Cp(const char* utf8)
{
    return EncodeCp1250(QString::fromUtf8(utf8));
}

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(IniInteger, AcceptsSignedDecimalAndThreeHexForms)
{
    EXPECT_EQ(ParseIniInteger("300"), 300);
    EXPECT_EQ(ParseIniInteger("-12"), -12);
    EXPECT_EQ(ParseIniInteger("+7"), 7);
    EXPECT_EQ(ParseIniInteger("$2A0"), 0x2A0);
    EXPECT_EQ(ParseIniInteger("0x300"), 768);
    EXPECT_EQ(ParseIniInteger("0XfF"), 255);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseIniInteger("0000000000000042"), 42);
}

TEST(IniInteger, RefusesEverythingElse)
{
    for (const char* text : {"", "-", "$", "0x", "12a", "abc", "1 2", "2147483648", "$100000000",
                             "1.5", "0x1G", "--1", " 5"})
        EXPECT_FALSE(ParseIniInteger(QString::fromLatin1(text)).has_value()) << text;
}

TEST(IniFile, FindsNamesRegardlessOfLetterCaseCzechIncluded)
{
    const IniFile ini = IniFile::FromBytes(Cp("[Připojení]\nRozhraní=RVD-773\n"));
    EXPECT_EQ(ini.ReadString(S("PŘIPOJENÍ"), S("ROZHRANÍ")), S("RVD-773"));
    EXPECT_EQ(ini.ReadString(S("připojení"), S("rozhraní")), S("RVD-773"));
    EXPECT_FALSE(ini.ReadString(S("Pripojeni"), S("Rozhrani")).has_value());
}

TEST(IniFile, IgnoresBlanksQuotesCommentsAndStrayLines)
{
    const IniFile ini = IniFile::FromBytes(Cp("orphan=1\n"
                                              "  [  Sekce  ]  \n"
                                              ";klic=comment\n"
                                              "no equals sign\n"
                                              "\tklic \t=  hodnota s mezerou  \n"
                                              "quoted=\"  v uvozovkách \"\n"
                                              "single='x'\n"
                                              "half=\"x\n"
                                              "empty=\n"));
    EXPECT_FALSE(ini.ReadString(S("Sekce"), S("orphan")).has_value());
    EXPECT_FALSE(ini.ReadString(S("Sekce"), S(";klic")).has_value());
    EXPECT_EQ(ini.ReadString(S("Sekce"), S("klic")), S("hodnota s mezerou"));
    EXPECT_EQ(ini.ReadString(S("Sekce"), S("quoted")), S("  v uvozovkách "));
    EXPECT_EQ(ini.ReadString(S("Sekce"), S("single")), S("x"));
    EXPECT_EQ(ini.ReadString(S("Sekce"), S("half")), S("\"x"));
    EXPECT_EQ(ini.ReadString(S("Sekce"), S("empty")), QString());
}

TEST(IniFile, FirstOfDuplicateSectionsAndKeysWins)
{
    const IniFile ini = IniFile::FromBytes("[A]\nk=1\nk=2\n[B]\nk=3\n[a]\nk=4\nonly=5\n");
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    EXPECT_EQ(ini.ReadInteger("B", "k", 0), 3);
    EXPECT_EQ(ini.ReadInteger("A", "only", -1), -1);
}

TEST(IniFile, ValuesAreCutAt2047Characters)
{
    const QByteArray longValue(1 << 22, 'x');
    const IniFile ini = IniFile::FromBytes("[S]\nk=" + longValue + "\nnext=1");
    EXPECT_EQ(ini.ReadString("S", "k")->size(), IniValueMaxLength);
    EXPECT_EQ(ini.ReadInteger("S", "next", 0), 1);

    const IniFile quoted = IniFile::FromBytes("[S]\nk=\"" + QByteArray(3000, 'q') + "\"");
    EXPECT_EQ(*quoted.ReadString("S", "k"), QString(IniValueMaxLength, u'q'));
}

TEST(IniFile, SurvivesBinaryContent)
{
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes.append(char((i * 131 + 7) % 256));
    bytes += "\n[S]\nk=\x01\x02\xff\n";
    const IniFile ini = IniFile::FromBytes(bytes);
    EXPECT_EQ(ini.ToBytes(), bytes);
    EXPECT_EQ(ini.ReadString("S", "k")->size(), 3);
}

TEST(IniFile, ReplacesAnExistingValueInPlaceKeepingEverythingElse)
{
    const QByteArray before = "; hlavička\r\n[S]\r\n  k = stará ; ne komentář\r\nx=1\r\n\r\n[T]\r\nk=9";
    IniFile ini = IniFile::FromBytes(before);
    ini.WriteString("s", "K", "nová");
    EXPECT_EQ(ini.ToBytes(), QByteArray("; hlavička\r\n[S]\r\n  k = ") + Cp("nová")
                                 + "\r\nx=1\r\n\r\n[T]\r\nk=9");
}

TEST(IniFile, AppendsANewKeyAtTheEndOfItsSection)
{
    IniFile ini = IniFile::FromBytes("[S]\na=1\n; end of S\n\n\n[T]\nb=2\n");
    ini.WriteInteger("S", "c", 3);
    EXPECT_EQ(ini.ToBytes(), QByteArray("[S]\na=1\n; end of S\nc=3\n\n\n[T]\nb=2\n"));
}

TEST(IniFile, AppendsAMissingSectionToTheEndKeepingTheLineEndStyle)
{
    IniFile crlf = IniFile::FromBytes("[S]\r\na=1");
    crlf.WriteInteger("T", "b", 2);
    EXPECT_EQ(crlf.ToBytes(), QByteArray("[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n"));

    IniFile lf = IniFile::FromBytes("[S]\na=1\n\n");
    lf.WriteInteger("T", "b", 2);
    EXPECT_EQ(lf.ToBytes(), QByteArray("[S]\na=1\n\n[T]\nb=2\n"));
}

TEST(IniFile, KeepsAUtf8ByteOrderMarkAndReadsTheFileAsUtf8)
{
    const QByteArray bom("\xEF\xBB\xBF");
    IniFile ini = IniFile::FromBytes(bom + QString::fromUtf8("[Připojení]\nRozhraní=COMx\n").toUtf8());
    EXPECT_EQ(ini.ReadString(S("Připojení"), S("Rozhraní")), S("COMx"));
    ini.WriteString(S("Připojení"), S("Adresa"), S("č"));
    EXPECT_EQ(ini.ToBytes(), bom + S("[Připojení]\nRozhraní=COMx\nAdresa=č\n").toUtf8());
}

TEST(IniFile, KeepsAUtf16FileUtf16WithItsMarkAndLineEnds)
{
    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        SCOPED_TRACE(encoding);
        const auto utf16 = [&](const char* text) {
            const QByteArray mark = encoding == QStringConverter::Utf16LE ? "\xFF\xFE" : "\xFE\xFF";
            return mark + QByteArray(QStringEncoder(encoding).encode(S(text)));
        };
        IniFile ini =
            IniFile::FromBytes(utf16("[Připojení]\r\nRozhraní=RVD-773\r\n; ☃ 😀\r\n"));
        EXPECT_EQ(ini.ReadString(S("připojení"), S("Rozhraní")), S("RVD-773"));
        ini.WriteString(S("Připojení"), S("Rozhraní"), S("COMx"));
        ini.WriteInteger(S("COMx"), S("Číslo portu"), 3);
        EXPECT_EQ(ini.ToBytes(), utf16("[Připojení]\r\nRozhraní=COMx\r\n; ☃ 😀\r\n\r\n"
                                       "[COMx]\r\nČíslo portu=3\r\n"));
    }
}

TEST(IniFile, KeepsEveryByteOfUtf16ThatIsNotWellFormed)
{
    // Lone surrogates, a character of code 0 and an odd last byte.
    const QByteArray text("\xFF\xFE[\0S\0]\0\n\0\x00\xD8=\0\x00\xDC\x00\xD8\0\0\n\0\xAB", 23);
    IniFile ini = IniFile::FromBytes(text);
    EXPECT_EQ(ini.ToBytes(), text);
    ini.WriteInteger("S", "k", 1);
    EXPECT_EQ(ini.ToBytes(), text.chopped(1) + QByteArray("k\0=\0" "1\0\n\0\xAB", 9));
}

TEST(IniFile, FillsALineThatHoldsTheKeyAloneInPlace)
{
    IniFile ini = IniFile::FromBytes(Cp("[Připojení]\r\n  rozhraní \r\nAdresa=1\r\n"));
    EXPECT_FALSE(ini.ReadString(S("Připojení"), S("Rozhraní")).has_value());
    ini.WriteString(S("Připojení"), S("Rozhraní"), S("COMx"));
    ini.WriteInteger(S("Připojení"), S("Adresa"), 2);
    EXPECT_EQ(ini.ToBytes(), Cp("[Připojení]\r\n  rozhraní=COMx\r\nAdresa=2\r\n"));
}

TEST(IniFile, WrittenValuesReadBackExactly)
{
    IniFile ini;
    for (const char* value : {"  blanks  ", "\"quoted\"", "'q'", "plain", ""}) {
        ini.WriteString("S", "k", S(value));
        EXPECT_EQ(ini.ReadString("S", "k"), S(value));
    }

    // A line break in a value cannot break the file apart.
    ini.WriteString("S", "k", S("a\r\n[X]\nb"));
    EXPECT_EQ(ini.ReadString("S", "k"), S("a  [X] b"));
    EXPECT_FALSE(ini.ReadString("X", "b").has_value());
}

TEST(IniFileUtf8, ReadsAndWritesUtf8WithoutAByteOrderMark)
{
    const QByteArray text = S("[Konfigurace]\nNote=Žluťoučký kůň\n").toUtf8();
    IniFile ini = IniFile::FromBytes(text, IniEncoding::Utf8);
    EXPECT_EQ(ini.ReadString(S("konfigurace"), S("note")), S("Žluťoučký kůň"));
    EXPECT_EQ(ini.ToBytes(), text);

    IniFile fresh(IniEncoding::Utf8);
    fresh.WriteString(S("Konfigurace"), S("Poznámka"), S("čeština €"));
    EXPECT_EQ(fresh.ToBytes(),
              S("[Konfigurace]\nPoznámka=čeština €\n").toUtf8().replace("\n", PlatformLineEnd()));

    // The same bytes without the explicit mode are Windows-1250.
    EXPECT_NE(IniFile::FromBytes(text).ReadString(S("Konfigurace"), S("Note")),
              S("Žluťoučký kůň"));
}

TEST(IniFileUtf8, KeepsAByteOrderMarkTheFileHad)
{
    const QByteArray bom("\xEF\xBB\xBF");
    IniFile ini = IniFile::FromBytes(bom + "[S]\nk=1\n", IniEncoding::Utf8);
    ini.WriteString("S", "k", S("ř"));
    EXPECT_EQ(ini.ToBytes(), bom + S("[S]\nk=ř\n").toUtf8());
}

TEST(IniFileUtf8, NamesTheFirstLineThatIsNotUtf8)
{
    EXPECT_EQ(IniFile::FirstLineNotUtf8(S("[S]\nk=ěščř\n").toUtf8()), 0);
    EXPECT_EQ(IniFile::FirstLineNotUtf8(QByteArray("\xEF\xBB\xBF[S]\n")), 0);
    EXPECT_EQ(IniFile::FirstLineNotUtf8({}), 0);
    // Windows-1250 "č" on line 3, a cut sequence on line 4.
    EXPECT_EQ(IniFile::FirstLineNotUtf8("[S]\na=1\nb=\xE8\nc=\xC5\n"), 3);
    EXPECT_EQ(IniFile::FirstLineNotUtf8("[S]\r\nc=x\xC5"), 2);
    // An overlong form of "/".
    EXPECT_EQ(IniFile::FirstLineNotUtf8("\xC0\xAF"), 1);
}

TEST(IniFileEntries, ListsSectionsKeysAndStrayLinesWithTheirNumbers)
{
    const IniFile ini = IniFile::FromBytes("orphan=1\n"
                                           "; comment\n"
                                           "\n"
                                           "  [ Sekce ]\n"
                                           "k = v\n"
                                           "no equals sign\n"
                                           "[half\n"
                                           "[B]\r\n"
                                           "K=2\r\n");
    const std::vector<IniEntry> entries = ini.Entries();
    ASSERT_EQ(entries.size(), 7u);
    const auto expect = [&](size_t i, IniEntry::Kind kind, int line, const char* section,
                            const char* name) {
        EXPECT_EQ(entries[i].kind, kind) << i;
        EXPECT_EQ(entries[i].line, line) << i;
        EXPECT_EQ(entries[i].section, QString::fromLatin1(section)) << i;
        EXPECT_EQ(entries[i].name, QString::fromLatin1(name)) << i;
    };
    using Kind = IniEntry::Kind;
    expect(0, Kind::Key, 1, "", "orphan");
    expect(1, Kind::Section, 4, "", "Sekce");
    expect(2, Kind::Key, 5, "Sekce", "k");
    expect(3, Kind::Unrecognised, 6, "", "");
    expect(4, Kind::Unrecognised, 7, "", "");
    expect(5, Kind::Section, 8, "", "B");
    expect(6, Kind::Key, 9, "B", "K");
}

TEST(IniFileEntries, CountLinesAfterAByteOrderMarkFromOne)
{
    const IniFile ini = IniFile::FromBytes("\xEF\xBB\xBF[S]\nk=1\n", IniEncoding::Utf8);
    const std::vector<IniEntry> entries = ini.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].line, 1);
    EXPECT_EQ(entries[1].line, 2);
}
