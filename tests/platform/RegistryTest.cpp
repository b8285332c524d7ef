#include "RegistryProbe.h"

static const char16_t testKey[] = u"Software\\Velmora\\test";
static const QByteArray testSection = "[HKEY_CURRENT_USER\\Software\\Velmora\\test]\n";

class RegistryTest : public testing::Test {
protected:
    IsolatedHome home;
};

TEST_F(RegistryTest, KeyIsCreatedOnceAndKeepsItsClassWhateverTheLetterCase) {
    DWORD first = 0, second = 0;
    Open(testKey, u"test", &first);
    Open(u"SOFTWARE\\velmora\\Test", u"other", &second);
    EXPECT_EQ(std::pair(first, second), std::pair(REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY));
    SetIn(testKey, u"test", u"DefaultFileName", REG_DWORD, "first");
    SetIn(u"software\\VELMORA\\TEST", u"other", u"DEFAULTFILENAME", REG_SZ, Bytes("\\a b.ckl\0"));
    EXPECT_EQ(Query(testKey, u"defaultfilename").data, Bytes("\\a b.ckl\0"));
    // One section that reads like the settings it holds, under the names first given.
    EXPECT_TRUE(StoreText().contains(testSection + "@class=test\n" +
                                     "DefaultFileName=REG_SZ:\\a b.ckl%00\n"))
        << StoreText().toStdString();
    // The keys above exist; a key whose name merely starts the same does not.
    EXPECT_EQ(KeyClass(u"Software\\Velmora"), "");
    EXPECT_EQ(KeyClass(u"Software\\Velmor"), "<no key>");
    EXPECT_EQ(KeyClass(u"Software\\Velmora\\test\\below"), "<no key>");
}

// Each row's name and data hold what the store file could take for its own syntax.
TEST_F(RegistryTest, ValuesKeepTheirNameTypeAndExactBytes) {
    const std::tuple<std::u16string, DWORD, QByteArray> rows[] = {
        {u"@class", REG_SZ, Bytes("\\my documents\\aviation.ckl\0")},
        {u"[section]=%41;#", REG_SZ, "[a]=%20;b#c@d\\e\r\nf\tg"},
        {u"%41", REG_SZ, "  leading spaces"},
        {u"A", REG_SZ, "trailing spaces  "},
        {u" leading", 7, Bytes("\xC3\x84k\xE2\x82\xAC")},
        {u"trailing ", REG_BINARY, Bytes("\0\1\37\177\200\377%")},
        {u"\u00E4\u20AC", REG_DWORD, Bytes("\x2A\x00\x00\x00")},
        {u"", REG_BINARY, QByteArray()},
        {u"largest type", 0xFFFFFFFF, "x"},
    };
    for (const auto& [name, type, data] : rows) {
        ASSERT_EQ(SetIn(testKey, u"test", name, type, data), ERROR_SUCCESS);
    }
    for (const auto& [name, type, data] : rows) {
        const StoredValue stored = Query(testKey, name);
        EXPECT_EQ(std::pair(stored.type, stored.data.toHex(' ').toStdString()),
                  std::pair(type, data.toHex(' ').toStdString()))
            << QString::fromStdU16String(name).toStdString();
    }
    EXPECT_EQ(KeyClass(testKey), "test");
}

// Whatever can be read is, and the next write puts the file in order again.
TEST_F(RegistryTest, DamagedStoreFilesReadAsFarAsTheyGo) {
    const QByteArray good = "v=REG_SZ:x\n"; // read as "x" unless damage hides it
    const std::tuple<const char*, QByteArray, QByteArray> rows[] = {
        {"ControlCharacters", testSection + Bytes("\x01\xFF\x00lost=REG_SZ:x\n") + good, "x"},
        {"BadEscape", testSection + "lost=REG_SZ:%G1\n" + good, "x"},
        {"EscapeCutShort", testSection + "lost=REG_SZ:abc%0\n" + good, "x"},
        {"UnknownTypeName", testSection + "lost=REG_TEXT:abc\n" + good, "x"},
        {"TypeNumberTooLarge", testSection + "lost=4294967296:abc\n" + good, "x"},
        {"NoType", testSection + "lost=abc\n" + good, "x"},
        {"NoEqualsSign", testSection + "just some words\n" + good, "x"},
        {"BadClassEscape", testSection + "@class=%ZZ\n" + good, "x"},
        {"ByteOrderMarkCrLf", "\xEF\xBB\xBF" + testSection.chopped(1) + "\r\nv=REG_SZ:x\r\n", "x"},
        {"CutOffInTheLastValue", testSection + good.chopped(1), "x"},
        {"ValueBeforeAnySection", good + testSection, ""},
        {"ValueUnderUnclosedSection", testSection + "[HKEY_CURRENT_USER\\Software\n" + good, ""},
        {"EmptySection", "[]\n" + good, ""},
    };
    for (const auto& [name, text, read] : rows) {
        SCOPED_TRACE(name);
        WriteStoreText(text);
        EXPECT_EQ(Query(testKey, u"v").data, read);
        EXPECT_EQ(Query(testKey, u"lost").result, ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(SetIn(testKey, u"test", u"w", REG_SZ, "y"), ERROR_SUCCESS);
        EXPECT_EQ(Query(testKey, u"w").data, "y");
        EXPECT_EQ(Query(testKey, u"v").data, read);
    }
}

TEST_F(RegistryTest, StoreThatCannotBeUsedIsLeftAlone) {
    for (const bool folderForFile : {true, false}) {
        SCOPED_TRACE(folderForFile ? "FolderInPlaceOfTheFile" : "FileInPlaceOfTheFolder");
        IsolatedHome own;
        const QString blocker =
            folderForFile ? RegistryStoreFile() : QFileInfo(RegistryStoreFile()).absolutePath();
        ASSERT_TRUE(folderForFile ? QDir().mkpath(blocker)
                                  : QFile(blocker).open(QIODevice::WriteOnly));
        EXPECT_FALSE(Open(testKey, u"test"));
        EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, u"v", 0, REG_SZ, nullptr, 0),
                  ERROR_ACCESS_DENIED);
        EXPECT_EQ(Query(testKey, u"v").result, ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(QFileInfo(blocker).isDir(), folderForFile);
    }
}
