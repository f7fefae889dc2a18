#include "app/Settings.h"

#include <gtest/gtest.h>

#include "RegistrySandbox.h"

namespace {

void ExpectDefaults(const AppSettings& s)
{
    EXPECT_EQ(20, s.X);
    EXPECT_EQ(20, s.Y);
    EXPECT_EQ(865, s.Width);
    EXPECT_EQ(595, s.Height);
    EXPECT_EQ(475, s.Column1);
    EXPECT_EQ(155, s.Column2);
    EXPECT_EQ(80, s.Column3);
    EXPECT_EQ(120, s.Column4);
    EXPECT_EQ(120, s.Column5);
    EXPECT_EQ(1, s.OpenFile);
    EXPECT_EQ(1, s.DragDrop);
}

AppSettings Distinct()
{
    AppSettings s;
    s.X = -1200;
    s.Y = -35;
    s.Width = 700;
    s.Height = 450;
    s.Column1 = 300;
    s.Column2 = 90;
    s.Column3 = -1;
    s.Column4 = 160;
    s.Column5 = 77;
    s.OpenFile = 0;
    s.DragDrop = 5;
    return s;
}

}  // namespace

TEST(SettingsStore, FirstRunKeepsDefaultsAndCreatesNoKey)
{
    RegistrySandbox sandbox;
    AppSettings settings;
    LoadSettings(settings);
    ExpectDefaults(settings);
    EXPECT_FALSE(RegistrySandbox::KeyExists(L"SOFTWARE\\Tarnfield"));
}

TEST(SettingsStore, MissingSubkeysAreCreatedEmptyWhileSwitchesAreRead)
{
    RegistrySandbox sandbox;
    RegistrySandbox::SetDword(kSettingsKey, L"OpenFile", 0);
    RegistrySandbox::SetDword(kSettingsKey, L"DragDrop", 0);

    AppSettings settings;
    LoadSettings(settings);

    EXPECT_EQ(0, settings.OpenFile);
    EXPECT_EQ(0, settings.DragDrop);
    settings.OpenFile = settings.DragDrop = 1;
    ExpectDefaults(settings);
    EXPECT_TRUE(RegistrySandbox::KeyExists(kWindowKey));
    EXPECT_TRUE(RegistrySandbox::KeyExists(kListKey));
    uint32_t value = 0;
    EXPECT_FALSE(RegistrySandbox::ReadDword(kWindowKey, L"X", value));
}

TEST(SettingsStore, RoundTripKeepsEveryBitIncludingNegativeCoordinates)
{
    RegistrySandbox sandbox;
    const AppSettings saved = Distinct();
    SaveSettings(saved);

    uint32_t raw = 0;
    ASSERT_TRUE(RegistrySandbox::ReadDword(kWindowKey, L"X", raw));
    EXPECT_EQ(0xFFFFFB50u, raw);
    ASSERT_TRUE(RegistrySandbox::ReadDword(kSettingsKey, L"DragDrop", raw));
    EXPECT_EQ(5u, raw);  // the store validates nothing

    AppSettings loaded;
    LoadSettings(loaded);
    EXPECT_EQ(0, memcmp(&saved, &loaded, sizeof(AppSettings)));
}

TEST(SettingsStore, SingleMissingValueKeepsOnlyThatDefault)
{
    RegistrySandbox sandbox;
    SaveSettings(Distinct());
    RegistrySandbox::DeleteValue(kWindowKey, L"Y");
    RegistrySandbox::DeleteValue(kListKey, L"Column5");

    AppSettings loaded;
    LoadSettings(loaded);
    EXPECT_EQ(20, loaded.Y);
    EXPECT_EQ(120, loaded.Column5);
    EXPECT_EQ(-1200, loaded.X);
    EXPECT_EQ(700, loaded.Width);
}

TEST(SettingsStore, FourByteValueOfAnotherTypeIsTakenAsItStands)
{
    RegistrySandbox sandbox;
    const unsigned char bytes[4] = {0x01, 0x02, 0x03, 0x04};
    RegistrySandbox::SetRaw(kWindowKey, L"Width", REG_BINARY, bytes, sizeof(bytes));
    const wchar_t text[] = L"a";  // 4 bytes with its terminator
    RegistrySandbox::SetRaw(kListKey, L"Column2", REG_SZ, text, sizeof(text));
    // Too long for the field: the query fails and the default stays.
    const unsigned char longer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    RegistrySandbox::SetRaw(kListKey, L"Column3", REG_BINARY, longer, sizeof(longer));

    AppSettings loaded;
    LoadSettings(loaded);
    EXPECT_EQ(0x04030201, loaded.Width);
    EXPECT_EQ(0x61, loaded.Column2);
    EXPECT_EQ(80, loaded.Column3);
}

TEST(SettingsStore, SaveWritesElevenDwordsInTheirKeys)
{
    RegistrySandbox sandbox;
    SaveSettings(AppSettings());
    uint32_t value = 0;
    for (const wchar_t* name : {L"OpenFile", L"DragDrop"})
        EXPECT_TRUE(RegistrySandbox::ReadDword(kSettingsKey, name, value)) << name;
    for (const wchar_t* name : {L"X", L"Y", L"Width", L"Height"})
        EXPECT_TRUE(RegistrySandbox::ReadDword(kWindowKey, name, value)) << name;
    for (const wchar_t* name : {L"Column1", L"Column2", L"Column3", L"Column4", L"Column5"})
        EXPECT_TRUE(RegistrySandbox::ReadDword(kListKey, name, value)) << name;
    EXPECT_TRUE(RegistrySandbox::ReadDword(kListKey, L"Column5", value));
    EXPECT_EQ(120u, value);
}
