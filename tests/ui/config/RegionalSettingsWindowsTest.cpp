// Windows: the hold time's decimal separator is the one of the user's regional settings, as
// Windows gives it to every program (GetLocaleInfoEx for the user's locale, with the changes
// the user made in the settings). ctest runs this also under the Czech locale, whose separator
// is a comma (under Wine LC_ALL chooses the user's locale).
#include "WindowFixture.h"

#include <QLocale>

#include <windows.h>

namespace {

QChar WindowsDecimalSeparator()
{
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) < 2)
        return {};
    return QChar(char16_t(separator[0]));
}

QString WindowsLocaleName()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    ::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return QString::fromWCharArray(name);
}

} // namespace

// Catches a separator taken from anywhere but the user's settings: a fixed point, the C
// library's locale, the language of the program's texts.
TEST_F(WindowTest, TheHoldTimeTakesTheSeparatorOfTheUsersWindowsLocale)
{
    const QChar separator = WindowsDecimalSeparator();
    ASSERT_FALSE(separator.isNull());
    RecordProperty("locale", WindowsLocaleName().toStdString());
    RecordProperty("separator", QString(separator).toStdString());
    ASSERT_EQ(QLocale(), QLocale::system());  // no test left another default behind

    data.ModelConfigs[0].OverhangUs = 1500;
    Open("KQ-3110", std::nullopt);
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("1") + separator + QStringLiteral("500"));
    Edit("Edit2")->setText(QStringLiteral("0") + separator + QStringLiteral("700"));
    Click("Button3");
    EXPECT_EQ(data.ModelConfigs[0].OverhangUs, 700u);
}
