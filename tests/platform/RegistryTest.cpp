#include "Registry.h"
#include "IsolatedHome.h"
#include "RegistryProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char16_t testKeyPath[] = u"Software\\Velmora\\test";

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, testKeyPath, 0, u"test", 0, KEY_ALL_ACCESS,
                                 nullptr, &key, &disposition),
                  ERROR_SUCCESS);
    }
    void TearDown() override { RegCloseKey(key); }

    IsolatedHome home;
    HKEY key = nullptr;
    DWORD disposition = 0;
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactBytes) {
    QByteArray everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte += static_cast<char>(byte);
    }
    struct Row {
        std::u16string name;
        DWORD type;
        QByteArray data;
    };
    const std::vector<Row> rows = {
        {u"TextWithTerminator", REG_SZ, Bytes("\\my documents\\aviation.ckl\0")},
        {u"TextWithoutTerminator", REG_SZ, "abc"},
        {u"TextWithTheFilesOwnSyntax", REG_SZ, "[a]=%20;b#c@d\\e\r\nf\tg"},
        {u"TextEndingInSpaces", REG_SZ, "ends  "},
        {u"TextStartingWithSpaces", REG_SZ, "  starts"},
        {u"MultibyteText", REG_SZ, Bytes("\xC3\x84\xC3\xA4kk\xC3\xB6set \xE2\x82\xAC")},
        {u"EveryByteValue", REG_BINARY, everyByte},
        {u"Number", REG_DWORD, Bytes("\x2A\x00\x00\x00")},
        {u"EmptyValue", REG_BINARY, QByteArray()},
        {u"TypeWithoutName", 7, Bytes("a\0b\0\0")},
        {u"LargestType", 0xFFFFFFFF, "x"},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(Set(key, row.name, row.type, row.data), ERROR_SUCCESS);
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(QString::fromStdU16String(row.name).toStdString());
        const StoredValue stored = Query(testKeyPath, row.name);
        EXPECT_EQ(stored.result, ERROR_SUCCESS);
        EXPECT_EQ(stored.type, row.type);
        EXPECT_EQ(stored.data.toHex(' '), row.data.toHex(' '));
    }
}

TEST_F(RegistryTest, ValueNamesKeepTheirSpellingWithoutMeetingTheKeyClass) {
    const std::vector<std::u16string> names = {
        u"@class",    u"a=b", u" lead", u"trail ",   u"\u00E4\u20AC", u"",
        u"[section]", u"%41", u"A",     u";comment", u"#hash",        u"back\\slash"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(Set(key, names[i], REG_SZ, QByteArray::number(int(i))), ERROR_SUCCESS);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(QString::fromStdU16String(names[i]).toStdString());
        EXPECT_EQ(Query(testKeyPath, names[i]).data, QByteArray::number(int(i)));
    }
    EXPECT_EQ(KeyClass(testKeyPath), "test");
}

TEST_F(RegistryTest, NamesIgnoreLetterCase) {
    ASSERT_EQ(Set(key, u"DefaultFileName", REG_SZ, "first"), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, u"DEFAULTFILENAME", REG_SZ, "second"), ERROR_SUCCESS);
    EXPECT_EQ(Query(u"SOFTWARE\\velmora\\Test", u"defaultfilename").data, "second");

    HKEY again = nullptr;
    DWORD againDisposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"software\\VELMORA\\TEST", 0, u"other", 0,
                             KEY_ALL_ACCESS, nullptr, &again, &againDisposition),
              ERROR_SUCCESS);
    RegCloseKey(again);
    EXPECT_EQ(againDisposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(StoreText().count("[HKEY_CURRENT_USER"), 1) << StoreText().toStdString();
}

TEST_F(RegistryTest, KeyIsCreatedOnceAndKeepsItsClass) {
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);

    HKEY again = nullptr;
    DWORD againDisposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, testKeyPath, 0, u"other", 0, KEY_ALL_ACCESS,
                             nullptr, &again, &againDisposition),
              ERROR_SUCCESS);
    RegCloseKey(again);
    EXPECT_EQ(againDisposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(KeyClass(testKeyPath), "test");

    // The keys above exist; a key whose name merely starts the same does not.
    EXPECT_EQ(KeyClass(u"Software\\Velmora"), "");
    EXPECT_EQ(KeyClass(u"Software\\Velmor"), "<no key>");
    EXPECT_EQ(KeyClass(u"Software\\Velmora\\test\\below"), "<no key>");
}

TEST_F(RegistryTest, QueryChangesNothingWhenTheValueIsMissingOrTooLarge) {
    ASSERT_EQ(Set(key, u"path", REG_SZ, Bytes("abcdef\0")), ERROR_SUCCESS);
    char buffer[8] = "default";
    DWORD type = 99;
    DWORD size = sizeof buffer;

    EXPECT_EQ(
        RegQueryValueEx(key, u"missing", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(buffer, "default");
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(size, sizeof buffer);

    size = 6;
    EXPECT_EQ(RegQueryValueEx(key, u"path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_STREQ(buffer, "default");
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, REG_SZ);

    size = 7;
    EXPECT_EQ(
        RegQueryValueEx(key, u"path", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "abcdef");
}

TEST_F(RegistryTest, StoreFileReadsLikeTheSettingsItHolds) {
    ASSERT_EQ(Set(key, u"defaultFileName", REG_SZ, Bytes("\\my documents\\aviation.ckl\0")),
              ERROR_SUCCESS);
    ASSERT_EQ(Set(key, u"count", REG_DWORD, Bytes("\x2A\x00\x00\x00")), ERROR_SUCCESS);
    const QByteArray text = StoreText();
    EXPECT_TRUE(text.contains("\n[HKEY_CURRENT_USER\\Software\\Velmora\\test]\n"
                              "@class=test\n"
                              "defaultFileName=REG_SZ:\\my documents\\aviation.ckl%00\n"
                              "count=REG_DWORD:%2A%00%00%00\n"))
        << text.toStdString();
}

// Each row puts one damaged line among good ones: the good ones must still be read.
TEST_F(RegistryTest, DamagedLinesAreSkippedAndTheRestIsRead) {
    const QByteArray section = "[HKEY_CURRENT_USER\\Software\\Velmora\\test]\n";
    const QByteArray good = "before=REG_SZ:one%00\n";
    const QByteArray goodAfter = "after=REG_SZ:two%00\n";
    struct Row {
        const char* name;
        QByteArray damage;
    };
    const Row rows[] = {
        {"BinaryGarbage", Bytes("\x01\x02\xFF\xFE\x00garbage=REG_SZ:x\n")},
        {"BadEscape", "lost=REG_SZ:%G1\n"},
        {"EscapeCutShort", "lost=REG_SZ:abc%0\n"},
        {"UnknownTypeName", "lost=REG_TEXT:abc\n"},
        {"TypeNumberTooLarge", "lost=4294967296:abc\n"},
        {"NoType", "lost=abc\n"},
        {"NoEqualsSign", "just some words\n"},
        {"BadClassEscape", "@class=%ZZ\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteStoreText(section + good + row.damage + goodAfter);
        EXPECT_EQ(Query(testKeyPath, u"before").data, Bytes("one\0"));
        EXPECT_EQ(Query(testKeyPath, u"after").data, Bytes("two\0"));
        EXPECT_EQ(Query(testKeyPath, u"lost").result, ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(Query(testKeyPath, u"garbage").result, ERROR_FILE_NOT_FOUND);
    }
}

TEST_F(RegistryTest, DamagedStoreFilesReadAsFarAsTheyGo) {
    struct Row {
        const char* name;
        QByteArray text;
        bool valueRead;
    };
    const Row rows[] = {
        {"ByteOrderMarkAndCarriageReturns",
         "\xEF\xBB\xBF[HKEY_CURRENT_USER\\Software\\Velmora\\test]\r\nv=REG_SZ:x\r\n", true},
        {"CutOffInTheLastValue", "[HKEY_CURRENT_USER\\Software\\Velmora\\test]\nv=REG_SZ:x", true},
        {"ValueBeforeAnySection", "v=REG_SZ:x\n[HKEY_CURRENT_USER\\Software\\Velmora\\test]\n",
         false},
        {"ValueUnderUnclosedSection",
         "[HKEY_CURRENT_USER\\Software\\Velmora\\test]\n[HKEY_CURRENT_USER\\Software\n"
         "v=REG_SZ:x\n",
         false},
        {"CutOffInTheSectionHeader", "[HKEY_CURRENT_USER\\Software\\Vel", false},
        {"EmptySection", "[]\nv=REG_SZ:x\n", false},
        {"NotTextAtAll",
         Bytes("\x7F"
               "ELF\x02\x01\x01\x00\x00\x00\n\xFF\xD8\xFF"),
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteStoreText(row.text);
        const StoredValue stored = Query(testKeyPath, u"v");
        EXPECT_EQ(stored.result == ERROR_SUCCESS, row.valueRead);
        if (row.valueRead) {
            EXPECT_EQ(stored.data, "x");
        }
        // The next write puts the file in order again and keeps what could be read.
        HKEY reopened = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, testKeyPath, 0, u"test", 0, KEY_ALL_ACCESS,
                                 nullptr, &reopened, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(Set(reopened, u"w", REG_SZ, "y"), ERROR_SUCCESS);
        RegCloseKey(reopened);
        EXPECT_EQ(Query(testKeyPath, u"w").data, "y");
        EXPECT_EQ(Query(testKeyPath, u"v").result == ERROR_SUCCESS, row.valueRead);
    }
}

TEST(RegistryStoreTest, UnreadableStoreReadsAsEmptyAndIsLeftAlone) {
    IsolatedHome home;
    // A folder where the file should be cannot be read as one.
    ASSERT_TRUE(QDir().mkpath(RegistryStoreFile()));
    HKEY key = reinterpret_cast<HKEY>(&home);
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, testKeyPath, 0, u"test", 0, KEY_ALL_ACCESS, nullptr,
                             &key, &disposition),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, testKeyPath, 0, KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Set(HKEY_CURRENT_USER, u"v", REG_SZ, "x"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(QFileInfo(RegistryStoreFile()).isDir());
}

TEST(RegistryStoreTest, StoreThatCannotBeWrittenCreatesNoKey) {
    IsolatedHome home;
    // A file where the store's folder should be.
    QFile blocker(home.Config() + QStringLiteral("/tarvasto"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, testKeyPath, 0, u"test", 0, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(Set(HKEY_CURRENT_USER, u"v", REG_SZ, "x"), ERROR_ACCESS_DENIED);
}

// ---- Several copies of the program sharing the store ----

class RegistryWritersTest : public testing::Test {
protected:
    void Run(QProcess& process, const QStringList& arguments) {
        process.setProgram(QStringLiteral(TARVASTO_PLATFORM_HELPER));
        process.setArguments(arguments);
        process.start();
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    static void ExpectFinishedSaying(QProcess& process, const QByteArray& line) {
        ASSERT_TRUE(process.waitForFinished(60000)) << "helper did not end";
        EXPECT_EQ(process.readAllStandardOutput().trimmed(), line);
        EXPECT_EQ(process.readAllStandardError(), QByteArray());
    }

    IsolatedHome home;
};

TEST_F(RegistryWritersTest, TwoCopiesWritingAtOnceLoseNothing) {
    constexpr int count = 40;
    QProcess first;
    QProcess second;
    Run(first, {QStringLiteral("write-values"), QStringLiteral("first"), QString::number(count)});
    Run(second, {QStringLiteral("write-values"), QStringLiteral("second"), QString::number(count)});
    ExpectFinishedSaying(first, "written");
    ExpectFinishedSaying(second, "written");
    for (const char* prefix : {"first", "second"}) {
        for (int i = 0; i < count; ++i) {
            const std::u16string name =
                (QLatin1String(prefix) + '-' + QString::number(i)).toStdU16String();
            EXPECT_EQ(Query(u"Software\\Velmora\\race", name).data, QByteArray::number(i) + '\0')
                << prefix << '-' << i;
        }
    }
}

TEST_F(RegistryWritersTest, LockLeftByACrashedWriterDoesNotStopTheNext) {
    QProcess crashed;
    Run(crashed, {QStringLiteral("crash-holding-store-lock")});
    ASSERT_TRUE(crashed.waitForFinished(10000));
    ASSERT_EQ(crashed.readAllStandardOutput().trimmed(), "locked");
    ASSERT_TRUE(QFileInfo::exists(RegistryStoreFile() + QStringLiteral(".lock")));

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, testKeyPath, 0, u"test", 0, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(Set(key, u"v", REG_SZ, "x"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(Query(testKeyPath, u"v").data, "x");
}

} // namespace
