#include "CSettingsKey.h"
#include "IsolatedHome.h"
#include "RegistryProbe.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char16_t programKey[] = u"Software\\Velmora\\tarvasto";

class CSettingsKeyTest : public testing::Test {
protected:
    IsolatedHome home;
};

TEST_F(CSettingsKeyTest, ModeZeroOpensNothingAndReadsGiveTheDefaults) {
    CSettingsKey key;
    key.OpenKey("tarvasto", "tarvasto", 0);
    EXPECT_EQ(key.keyHandle, nullptr);
    EXPECT_STREQ(key.appName, "tarvasto");

    char buffer[16] = "untouched";
    key.ReadString("defaultFileName", "default", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "default");
    key.WriteString("defaultFileName", "/a.ckl");
    key.WriteNumber("number", 7);
    key.WriteBinary("raw", {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(key.ReadNumber("number", 42), 42u);
    EXPECT_EQ(key.ReadBinary("raw", {}), CSettingsKey::BinaryValue{});
    key.CloseKey();
    EXPECT_FALSE(QFile::exists(RegistryStoreFile()));
}

TEST_F(CSettingsKeyTest, FirstOpenCreatesTheKeyAndLaterOpensFindIt) {
    {
        CSettingsKey key;
        key.OpenKey(nullptr, "tarvasto", 1);
        EXPECT_EQ(key.disposition, REG_CREATED_NEW_KEY);
        EXPECT_STREQ(key.label, "");
        char buffer[32];
        key.ReadString("name", "first default", buffer, sizeof buffer);
        EXPECT_STREQ(buffer, "first default");
    }
    CSettingsKey key;
    key.OpenKey("tarvasto", "tarvasto", 1);
    EXPECT_EQ(key.disposition, REG_OPENED_EXISTING_KEY);
    char buffer[32];
    key.ReadString("name", "second default", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "first default");
    // Closing twice, and reopening the same object, are harmless.
    key.CloseKey();
    key.CloseKey();
    key.OpenKey("tarvasto", "tarvasto", 1);
    EXPECT_NE(key.keyHandle, nullptr);
}

TEST_F(CSettingsKeyTest, SubKeyVariantOpensTheKeyBelow) {
    CSettingsKey key;
    key.OpenKey("tarvasto", "tarvasto", "Window", 1);
    EXPECT_EQ(key.disposition, REG_CREATED_NEW_KEY);
    EXPECT_STREQ(key.appName, "tarvasto\\Window");
    key.WriteString("state", "maximised");
    key.CloseKey();
    EXPECT_EQ(KeyClass(u"Software\\Velmora\\tarvasto\\Window"), "tarvasto\\Window");
    EXPECT_EQ(Query(u"Software\\Velmora\\tarvasto\\Window", u"state").data, Bytes("maximised\0"));
}

TEST_F(CSettingsKeyTest, NumbersAndRawValuesKeepTheirTypeAndSize) {
    const CSettingsKey::BinaryValue raw = {1, 2, 3, 4, 0xFD, 0xFE, 0xFF, 0};
    {
        CSettingsKey key;
        key.OpenKey("tarvasto", "tarvasto", 1);
        // A new key receives the defaults.
        EXPECT_EQ(key.ReadNumber("number", 0x2A), 0x2Au);
        EXPECT_EQ(key.ReadBinary("raw", raw), raw);
    }
    StoredValue number = Query(programKey, u"number");
    EXPECT_EQ(number.type, REG_DWORD);
    EXPECT_EQ(number.data, Bytes("\x2A\x00\x00\x00"));
    StoredValue binary = Query(programKey, u"raw");
    EXPECT_EQ(binary.type, REG_BINARY);
    EXPECT_EQ(binary.data, Bytes("\x01\x02\x03\x04\xFD\xFE\xFF\x00"));

    CSettingsKey key;
    key.OpenKey("tarvasto", "tarvasto", 1);
    key.WriteNumber("number", 0xDEADBEEF);
    key.WriteBinary("raw", {8, 7, 6, 5, 4, 3, 2, 1});
    EXPECT_EQ(key.ReadNumber("number", 0), 0xDEADBEEFu);
    EXPECT_EQ(key.ReadBinary("raw", {}), (CSettingsKey::BinaryValue{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(Query(programKey, u"number").data, Bytes("\xEF\xBE\xAD\xDE"));
}

TEST_F(CSettingsKeyTest, NumbersAndRawValuesOfAnotherSizeYieldTheDefault) {
    const CSettingsKey::BinaryValue fallback = {9, 9, 9, 9, 9, 9, 9, 9};
    struct Row {
        const char* name;
        QByteArray stored;
    };
    const Row rows[] = {
        {"Empty", QByteArray()},
        {"TwoBytes", Bytes("\x01\x02")},
        {"FiveBytes", Bytes("\x01\x02\x03\x04\x05")},
        {"NineBytes", Bytes("\x01\x02\x03\x04\x05\x06\x07\x08\x09")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(SetIn(programKey, u"tarvasto", u"number", REG_DWORD, row.stored), ERROR_SUCCESS);
        ASSERT_EQ(SetIn(programKey, u"tarvasto", u"raw", REG_BINARY, row.stored), ERROR_SUCCESS);
        CSettingsKey key;
        key.OpenKey("tarvasto", "tarvasto", 1);
        EXPECT_EQ(key.ReadNumber("number", 77), 77u);
        EXPECT_EQ(key.ReadBinary("raw", fallback), fallback);
    }
}

TEST_F(CSettingsKeyTest, ReadStringWritesNothingPastTheBuffer) {
    ASSERT_EQ(SetIn(programKey, u"tarvasto", u"text", REG_SZ, Bytes("abcdef\0")), ERROR_SUCCESS);
    struct Row {
        std::size_t bufferSize;
        std::string read;
    };
    const Row rows[] = {{1, ""}, {2, "a"}, {4, "abc"}, {7, "abcdef"}, {8, "abcdef"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bufferSize);
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        CSettingsKey key;
        key.OpenKey("tarvasto", "tarvasto", 1);
        key.ReadString("text", "default", buffer, row.bufferSize);
        EXPECT_EQ(std::string(buffer), row.read);
        for (std::size_t i = row.bufferSize; i < sizeof buffer; ++i) {
            EXPECT_EQ(buffer[i], 'x') << "byte " << i;
        }
    }
    char untouched[4] = "abc";
    CSettingsKey key;
    key.OpenKey("tarvasto", "tarvasto", 1);
    key.ReadString("text", "default", untouched, 0);
    EXPECT_STREQ(untouched, "abc");
}

TEST_F(CSettingsKeyTest, NamesTooLongForTheirFieldsAreCutBetweenCharacters) {
    std::string longName;
    for (int i = 0; i < 200; ++i) {
        longName += "\xC3\xA4"; // two bytes each
    }
    CSettingsKey key;
    key.OpenKey(longName.c_str(), longName.c_str(), 0);
    // 259 bytes and a terminator would cut the 130th letter; 129 of them fit.
    EXPECT_EQ(std::strlen(key.label), 258u);
    EXPECT_EQ(std::strlen(key.appName), 258u);
    EXPECT_EQ(std::string(key.appName), longName.substr(0, 258));
}

} // namespace
