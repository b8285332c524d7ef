#include "DevicePath.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

// Gives each test a home and configuration folder of its own, so that the user's real
// documents folder is never touched and the desktop's folder settings cannot leak in.
class DevicePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        savedHome = qgetenv("HOME");
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        if (savedConfig.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", savedConfig);
        }
    }
    std::string InHome(const char* relative) const {
        return home.filePath(QString::fromUtf8(relative)).toStdString();
    }

    QTemporaryDir home;
    QByteArray savedHome;
    QByteArray savedConfig;
};

struct MappingCase {
    const char* name;
    const char* devicePath;
    const char* inHome; // expected path below the home folder; null: the path stays as given
};

void PrintTo(const MappingCase& row, std::ostream* out) {
    *out << row.name;
}

class HostPathMapping : public DevicePathTest, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(HostPathMapping, PlacesHandheldPathsInTheUsersFolders) {
    const MappingCase& c = GetParam();
    std::string expected = c.inHome ? InHome(c.inHome) : c.devicePath;
    EXPECT_EQ(HostPath(c.devicePath), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, HostPathMapping,
    ::testing::Values(MappingCase{"default_file", "\\my documents\\aviation.ckl",
                                  "Documents/aviation.ckl"},
                      MappingCase{"documents_in_other_letter_case", "\\My DOCUMENTS\\Sub\\x.ckl",
                                  "Documents/Sub/x.ckl"},
                      MappingCase{"other_device_folder", "\\Temp\\x.ckl", "Temp/x.ckl"},
                      MappingCase{"documents_without_separator", "\\my documents", "my documents"},
                      MappingCase{"documents_prefix_of_a_longer_name", "\\my documentsx\\a.ckl",
                                  "my documentsx/a.ckl"},
                      MappingCase{"absolute_host_path", "/var/lists/a.ckl", nullptr},
                      MappingCase{"relative_host_path", "lists/a.ckl", nullptr},
                      MappingCase{"drive_letter_path", "C:\\lists\\a.ckl", nullptr},
                      MappingCase{"empty_path", "", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DevicePathTest, NullPathMapsToNothing) {
    EXPECT_EQ(HostPath(nullptr), "");
}

TEST_F(DevicePathTest, DocumentsFolderFollowsTheDesktopsFolderSettings) {
    ASSERT_TRUE(QDir(home.path()).mkpath(".config"));
    std::ofstream(InHome(".config/user-dirs.dirs")) << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
    EXPECT_EQ(HostPath("\\my documents\\a.ckl"), InHome("Papers/a.ckl"));
}

TEST_F(DevicePathTest, LoadAndSaveUseTheMappedFileButKeepTheHandheldName) {
    ASSERT_TRUE(QDir(home.path()).mkpath("Documents"));
    const char* devicePath = "\\my documents\\aviation.ckl";
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, "[$$CHECKLIST]\nRun-up\nMagnetos ..... CHECK\n[$$END]\n");
    ASSERT_TRUE(doc.SaveFile(devicePath));
    EXPECT_STREQ(doc.fileName, devicePath);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(InHome("Documents/aviation.ckl"))));

    ChecklistDoc back;
    ASSERT_TRUE(back.LoadFile(devicePath));
    EXPECT_STREQ(back.fileName, devicePath);
    ASSERT_NE(back.FirstChecklist(), nullptr);
    EXPECT_STREQ(back.FirstChecklist()->name, "Run-up");
}

} // namespace
