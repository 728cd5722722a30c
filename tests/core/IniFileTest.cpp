#include "core/IniFile.h"

#include "core/Cp1250.h"

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
