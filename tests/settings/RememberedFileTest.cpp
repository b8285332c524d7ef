#include "RememberedFile.h"
#include "IsolatedHome.h"
#include "RegistryProbe.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char16_t programKey[] = u"Software\\Velmora\\tarvasto";
const std::u16string valueName = u"defaultFileName";

class RememberedFileTest : public testing::Test {
protected:
    // What the next start would open. The buffer is filled with non-zero bytes first, so that a
    // missing terminator shows.
    static std::string NextStartOpens() {
        char buffer[1024];
        std::memset(buffer, 'x', sizeof buffer);
        ReadRememberedFile(buffer);
        const void* end = std::memchr(buffer, '\0', sizeof buffer);
        EXPECT_NE(end, nullptr) << "unterminated";
        return end == nullptr ? std::string() : std::string(buffer);
    }

    IsolatedHome home;
};

TEST_F(RememberedFileTest, FirstStartCreatesTheKeyWithItsClassAndTheDefault) {
    EXPECT_EQ(NextStartOpens(), "\\my documents\\aviation.ckl");
    EXPECT_EQ(KeyClass(programKey), "tarvasto");
    const StoredValue stored = Query(programKey, valueName);
    EXPECT_EQ(stored.result, ERROR_SUCCESS);
    EXPECT_EQ(stored.type, REG_SZ);
    EXPECT_EQ(stored.data.size(), 27);
    EXPECT_EQ(stored.data, Bytes("\\my documents\\aviation.ckl\0"));
}

TEST_F(RememberedFileTest, KeyWithoutTheValueYieldsTheDefaultAndWritesNothing) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, programKey, 0, u"tarvasto", 0, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const QByteArray before = StoreText();

    EXPECT_EQ(NextStartOpens(), "\\my documents\\aviation.ckl");
    EXPECT_EQ(Query(programKey, valueName).result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(StoreText(), before);
}

TEST_F(RememberedFileTest, StoredPathIsOpenedAtTheNextStart) {
    struct Row {
        const char* name;
        std::string path;
    };
    const Row rows[] = {
        {"HostPath", "/home/pilot/checklists/c172.ckl"},
        {"DevicePathWithSpaces", "\\my documents\\my plane.ckl"},
        {"MultibytePath", "/home/pilot/Lent\xC3\xA4j\xC3\xA4 \xE2\x82\xAC.ckl"},
        {"OneCharacter", "a"},
        {"LongestPathThatFits", '/' + std::string(1022, 'a')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StoreRememberedFile(row.path.c_str());
        const StoredValue stored = Query(programKey, valueName);
        EXPECT_EQ(stored.type, REG_SZ);
        // n characters are stored as n + 1 bytes.
        EXPECT_EQ(stored.data, QByteArray(row.path.c_str(), row.path.size() + 1));
        EXPECT_EQ(NextStartOpens(), row.path);
    }
}

TEST_F(RememberedFileTest, StoredValuesThatDoNotFitComeBackTerminatedAndWhole) {
    const std::string a1020(1020, 'a');
    struct Row {
        const char* name;
        DWORD type;
        QByteArray stored;
        std::string opened;
    };
    const Row rows[] = {
        {"Unterminated", REG_SZ, "/a.ckl", "/a.ckl"},
        {"UnterminatedFillingTheBuffer", REG_SZ, QByteArray(1023, 'a'), std::string(1023, 'a')},
        {"LongestTerminated", REG_SZ, QByteArray(1023, 'a') + '\0', std::string(1023, 'a')},
        {"OneByteTooLong", REG_SZ, QByteArray(1024, 'a') + '\0', std::string(1023, 'a')},
        {"FarTooLongUnterminated", REG_SZ, QByteArray(5000, 'a'), std::string(1023, 'a')},
        {"TwoByteCharacterAcrossTheEnd", REG_SZ, QByteArray(1022, 'a') + "\xC3\xA4" + '\0',
         std::string(1022, 'a')},
        {"ThreeByteCharacterAcrossTheEnd", REG_SZ, QByteArray(1021, 'a') + "\xE2\x82\xAC",
         std::string(1021, 'a')},
        {"FourByteCharacterAcrossTheEnd", REG_SZ, QByteArray(1020, 'a') + "\xF0\x9F\x98\x80",
         a1020},
        {"CharacterEndingAtTheEnd", REG_SZ, QByteArray(1021, 'a') + "\xC3\xA4" + "bbb",
         std::string(1021, 'a') + "\xC3\xA4"},
        {"StrayContinuationBytesAfterTheEnd", REG_SZ, QByteArray(1023, 'a') + "\x80\x80",
         std::string(1023, 'a')},
        {"ZeroByteWithin", REG_SZ, Bytes("/a.ckl\0/b.ckl\0"), "/a.ckl"},
        {"LongValueWithEarlyZeroByte", REG_SZ, Bytes("/a.ckl\0") + QByteArray(2000, 'b'), "/a.ckl"},
        {"AnotherType", REG_BINARY, Bytes("/a.ckl\0"), "/a.ckl"},
        {"Empty", REG_SZ, QByteArray(), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(SetIn(programKey, u"tarvasto", valueName, row.type, row.stored), ERROR_SUCCESS);
        EXPECT_EQ(NextStartOpens(), row.opened);
    }
}

TEST_F(RememberedFileTest, CloseWithoutAFileNameKeepsTheRememberedPath) {
    StoreRememberedFile("/home/pilot/a.ckl");
    StoreRememberedFile(nullptr);
    StoreRememberedFile("");
    EXPECT_EQ(NextStartOpens(), "/home/pilot/a.ckl");
}

TEST_F(RememberedFileTest, CloseWithoutAFileNameBeforeAnyStartStoresNothing) {
    StoreRememberedFile(nullptr);
    EXPECT_FALSE(QFile::exists(RegistryStoreFile()));
    EXPECT_EQ(NextStartOpens(), "\\my documents\\aviation.ckl");
}

TEST_F(RememberedFileTest, DamagedStoreFileStillStartsAndHeals) {
    const QByteArray section =
        "[HKEY_CURRENT_USER\\Software\\Velmora\\tarvasto]\n@class=tarvasto\n";
    struct Row {
        const char* name;
        QByteArray text;
        std::string opened;
    };
    const Row rows[] = {
        {"NotTextAtAll", Bytes("\x89PNG\r\n\x1A\n\x00\x00\x00\rIHDR\xFF\xFE"),
         "\\my documents\\aviation.ckl"},
        {"ValueWithBadEscape", section + "defaultFileName=REG_SZ:/a.ckl%Z0\n",
         "\\my documents\\aviation.ckl"},
        {"ValueWithUnknownType", section + "defaultFileName=REG_PATH:/a.ckl%00\n",
         "\\my documents\\aviation.ckl"},
        {"CutOffInTheValue", section + "defaultFileName=REG_SZ:/home/pilot/a.c", "/home/pilot/a.c"},
        {"CutOffInTheHeader", "[HKEY_CURRENT_USER\\Software\\Vel", "\\my documents\\aviation.ckl"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteStoreText(row.text);
        EXPECT_EQ(NextStartOpens(), row.opened);
        StoreRememberedFile("/home/pilot/new.ckl");
        EXPECT_EQ(NextStartOpens(), "/home/pilot/new.ckl");
        EXPECT_EQ(KeyClass(programKey), "tarvasto");
    }
}

TEST_F(RememberedFileTest, StoreThatCannotBeUsedYieldsTheDefault) {
    struct Row {
        const char* name;
        bool folderInPlaceOfFile;
    };
    for (const Row& row :
         {Row{"FolderInPlaceOfTheFile", true}, Row{"FileInPlaceOfTheFolder", false}}) {
        SCOPED_TRACE(row.name);
        IsolatedHome own;
        if (row.folderInPlaceOfFile) {
            ASSERT_TRUE(QDir().mkpath(RegistryStoreFile()));
        } else {
            QFile blocker(QFileInfo(RegistryStoreFile()).absolutePath());
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(NextStartOpens(), "\\my documents\\aviation.ckl");
        StoreRememberedFile("/home/pilot/a.ckl");
        EXPECT_EQ(NextStartOpens(), "\\my documents\\aviation.ckl");
    }
}

TEST_F(RememberedFileTest, TwoCopiesClosingAtOnceLeaveOneWholePath) {
    constexpr int count = 30;
    QProcess first;
    QProcess second;
    for (auto [process, path] :
         {std::pair{&first, "/home/pilot/first"}, std::pair{&second, "/home/pilot/second"}}) {
        process->start(QStringLiteral(TARVASTO_SETTINGS_HELPER),
                       {QString::fromLatin1(path), QString::number(count)});
        ASSERT_TRUE(process->waitForStarted(10000));
    }
    for (QProcess* process : {&first, &second}) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->readAllStandardOutput().trimmed(), "stored");
        EXPECT_EQ(process->readAllStandardError(), "");
    }
    const std::string opened = NextStartOpens();
    EXPECT_TRUE(opened == "/home/pilot/first-29" || opened == "/home/pilot/second-29") << opened;
    EXPECT_EQ(Query(programKey, valueName).data, QByteArray(opened.c_str(), opened.size() + 1));
}

} // namespace
