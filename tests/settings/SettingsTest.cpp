// The program's settings key and the checklist file it remembers between runs.
#include "CSettingsKey.h"
#include "RegistryProbe.h"
#include "RememberedFile.h"

#include <cstring>

static const char16_t programKey[] = u"Software\\Velmora\\tarvasto";
static const std::string defaultPath = "\\my documents\\aviation.ckl";

class SettingsTest : public testing::Test {
protected:
    // What the next start opens. The buffer is filled first, so that a missing terminator shows.
    static std::string NextStartOpens() {
        char buffer[1024];
        std::memset(buffer, 'x', sizeof buffer);
        ReadRememberedFile(buffer);
        return std::string(buffer, strnlen(buffer, sizeof buffer));
    }

    IsolatedHome home;
    CSettingsKey key;
};

TEST_F(SettingsTest, FirstStartCreatesTheKeyWithItsClassAndTheDefault) {
    // Closing without a file name before that stores nothing.
    StoreRememberedFile(nullptr);
    StoreRememberedFile("");
    EXPECT_FALSE(QFile::exists(RegistryStoreFile()));
    EXPECT_EQ(NextStartOpens(), defaultPath);
    // The key's class, and the path's 27 bytes with their type.
    EXPECT_TRUE(StoreText().contains("@class=tarvasto\n"
                                     "defaultFileName=REG_SZ:\\my documents\\aviation.ckl%00\n"));
}

TEST_F(SettingsTest, KeyWithoutTheValueYieldsTheDefaultAndWritesNothing) {
    Open(programKey, u"tarvasto");
    const QByteArray before = StoreText();
    EXPECT_EQ(NextStartOpens(), defaultPath);
    EXPECT_EQ(StoreText(), before);
}

// n characters are stored as n + 1 bytes; closing without a file name keeps them.
TEST_F(SettingsTest, PathStoredAtCloseIsOpenedAtTheNextStart) {
    for (const std::string& path : {
             std::string("/home/pilot/checklists/c172.ckl"),
             std::string("/home/pilot/Lent\xC3\xA4j\xC3\xA4 \xE2\x82\xAC.ckl"), std::string("a"),
             '/' + std::string(1022, 'a'), // the longest path that fits the path buffer
             '/' + std::string(1023, 'a'), // comes back cut
         }) {
        StoreRememberedFile(path.c_str());
        StoreRememberedFile(nullptr);
        EXPECT_EQ(Query(programKey, u"defaultFileName").data.toStdString(), path + '\0');
        EXPECT_EQ(NextStartOpens(), path.substr(0, 1023));
    }
}

TEST_F(SettingsTest, DamagedOrUnusableStoreStillStarts) {
    WriteStoreText(Bytes("\211PNG\r\n\32\n\0\0\0\rIHDR\377"));
    EXPECT_EQ(NextStartOpens(), defaultPath);
    StoreRememberedFile("/home/pilot/new.ckl");
    EXPECT_EQ(NextStartOpens(), "/home/pilot/new.ckl");
    // A folder in place of the store: the key can neither be created nor opened.
    IsolatedHome own;
    ASSERT_TRUE(QDir().mkpath(RegistryStoreFile()));
    EXPECT_EQ(NextStartOpens(), defaultPath);
    StoreRememberedFile("/home/pilot/a.ckl");
    EXPECT_EQ(NextStartOpens(), defaultPath);
}

TEST_F(SettingsTest, ModeZeroOpensNothingAndNamesAreCutBetweenCharacters) {
    const std::string letters = QString(200, QChar(0xE4)).toStdString(); // two bytes each
    key.OpenKey(letters.c_str(), letters.c_str(), 0);
    char buffer[16] = "untouched";
    key.ReadString("defaultFileName", "default", buffer, sizeof buffer);
    key.WriteString("defaultFileName", "/a.ckl");
    EXPECT_STREQ(buffer, "default");
    EXPECT_FALSE(QFile::exists(RegistryStoreFile()));
    // 259 bytes and a terminator would cut the 130th letter; 129 of them fit.
    EXPECT_EQ(std::string(key.label), letters.substr(0, 258));
    EXPECT_EQ(std::string(key.appName), letters.substr(0, 258));
}

TEST_F(SettingsTest, SubKeyVariantOpensTheKeyBelow) {
    key.OpenKey("tarvasto", "tarvasto", "Window", 1);
    key.WriteString("state", "maximised");
    EXPECT_STREQ(key.appName, "tarvasto\\Window");
    EXPECT_EQ(KeyClass(u"Software\\Velmora\\tarvasto\\Window"), "tarvasto\\Window");
    EXPECT_EQ(Query(u"Software\\Velmora\\tarvasto\\Window", u"state").data, Bytes("maximised\0"));
}

TEST_F(SettingsTest, NumbersAndRawValuesAreReadOnlyInTheirOwnSize) {
    const CSettingsKey::BinaryValue fallback = {9, 9, 9, 9, 9, 9, 9, 9};
    key.OpenKey("tarvasto", "tarvasto", 1);
    // A new key receives the defaults, with their types.
    key.ReadNumber("number", 0xDEADBEEF);
    key.ReadBinary("raw", {1, 2, 3, 4, 0xFD, 0xFE, 0xFF, 0});
    EXPECT_TRUE(StoreText().contains("number=REG_DWORD:%EF%BE%AD%DE\n"
                                     "raw=REG_BINARY:%01%02%03%04%FD%FE%FF%00\n"));
    CSettingsKey opened;
    opened.OpenKey("tarvasto", "tarvasto", 1);
    const std::tuple<const char*, QByteArray, DWORD, CSettingsKey::BinaryValue> rows[] = {
        {"FourBytesLittleEndian", Bytes("\x2A\0\0\x80"), 0x8000002Au, fallback},
        {"EightBytes", Bytes("\1\2\3\4\5\6\7\0"), 77, {1, 2, 3, 4, 5, 6, 7, 0}},
        {"TwoBytes", Bytes("\1\2"), 77, fallback},
        {"FiveBytes", Bytes("\1\2\3\4\5"), 77, fallback},
    };
    for (const auto& [name, stored, number, raw] : rows) {
        ASSERT_EQ(SetIn(programKey, u"tarvasto", u"v", REG_BINARY, stored), ERROR_SUCCESS);
        EXPECT_EQ(opened.ReadNumber("v", 77), number) << name;
        EXPECT_EQ(opened.ReadBinary("v", fallback), raw) << name;
    }
}

// The buffer lies in a larger array; nothing past it may change.
TEST_F(SettingsTest, StringsThatDoNotFitComeBackTerminatedAndCutBetweenCharacters) {
    ASSERT_EQ(SetIn(programKey, u"tarvasto", u"v", REG_SZ, "x"), ERROR_SUCCESS);
    key.OpenKey("tarvasto", "tarvasto", 1);
    // Name, stored bytes, text read, buffer size.
    const std::tuple<const char*, QByteArray, std::string, std::size_t> rows[] = {
        {"Unterminated", "/a.ckl", "/a.ckl", 8},
        {"UnterminatedFillingTheBuffer", "abcdefg", "abcdefg", 8},
        {"LongestTerminated", Bytes("abcdefg\0"), "abcdefg", 8},
        {"OneByteTooLong", Bytes("abcdefgh\0"), "abcdefg", 8},
        {"TwoByteCharacterAcrossTheEnd", Bytes("abcdef\xC3\xA4\0"), "abcdef", 8},
        {"ThreeByteCharacterAcrossTheEnd", "abcde\xE2\x82\xAC", "abcde", 8},
        {"FourByteCharacterAcrossTheEnd", "abcd\xF0\x9F\x98\x80", "abcd", 8},
        {"CharacterEndingAtTheEnd", "abcde\xC3\xA4xyz", "abcde\xC3\xA4", 8},
        {"LongValueWithEarlyZeroByte", Bytes("/a\0") + QByteArray(50, 'b'), "/a", 8},
        {"Empty", QByteArray(), "", 8},
        {"RoomForTheTerminatorOnly", Bytes("abc\0"), "", 1},
        {"NoBufferAtAll", Bytes("abc\0"), std::string(16, 'x'), 0},
    };
    for (const auto& [name, stored, read, bufferSize] : rows) {
        SCOPED_TRACE(name);
        ASSERT_EQ(SetIn(programKey, u"tarvasto", u"v", REG_SZ, stored), ERROR_SUCCESS);
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        key.ReadString("v", "default", buffer, bufferSize);
        EXPECT_EQ(std::string(buffer, strnlen(buffer, sizeof buffer)), read);
        EXPECT_EQ(std::string(buffer + bufferSize, buffer + sizeof buffer),
                  std::string(sizeof buffer - bufferSize, 'x'));
    }
}

// A switch read after the remembered file stores nothing; once stored it comes back; a value the
// program did not store (another number, another type) leaves the default.
TEST_F(SettingsTest, SwitchesAreRememberedAfterTheFileAndOnlyAsZeroOrOne) {
    EXPECT_EQ(NextStartOpens(), defaultPath);
    const QByteArray firstStart = StoreText();
    EXPECT_FALSE(ReadRememberedSwitch(keepTicksSwitch, false));
    EXPECT_TRUE(ReadRememberedSwitch(keepTicksSwitch, true));
    EXPECT_EQ(StoreText(), firstStart); // reading stores nothing

    StoreRememberedSwitch(keepTicksSwitch, true);
    EXPECT_TRUE(ReadRememberedSwitch(keepTicksSwitch, false));
    EXPECT_EQ(Query(programKey, u"keepTicks").data, Bytes("\1\0\0\0"));
    StoreRememberedSwitch(keepTicksSwitch, false);
    EXPECT_FALSE(ReadRememberedSwitch(keepTicksSwitch, true));

    ASSERT_EQ(SetIn(programKey, u"tarvasto", u"keepTicks", REG_DWORD, Bytes("\7\0\0\0")),
              ERROR_SUCCESS);
    EXPECT_FALSE(ReadRememberedSwitch(keepTicksSwitch, false));
    ASSERT_EQ(SetIn(programKey, u"tarvasto", u"keepTicks", REG_SZ, Bytes("1\0")), ERROR_SUCCESS);
    EXPECT_FALSE(ReadRememberedSwitch(keepTicksSwitch, false));
}

// A number comes back only within its bounds: a negative or too large value stored by something
// else leaves the default.
TEST_F(SettingsTest, NumbersComeBackOnlyWithinTheirBounds) {
    EXPECT_EQ(NextStartOpens(), defaultPath);
    EXPECT_EQ(ReadRememberedNumber(textSizeNumber, 75, 300, 100), 100);
    for (const int stored : {75, 300, 125}) {
        StoreRememberedNumber(textSizeNumber, stored);
        EXPECT_EQ(ReadRememberedNumber(textSizeNumber, 75, 300, 100), stored);
    }
    for (const int stored : {74, 301, -100, 0}) {
        StoreRememberedNumber(textSizeNumber, stored);
        EXPECT_EQ(ReadRememberedNumber(textSizeNumber, 75, 300, 100), 100) << stored;
    }
}
