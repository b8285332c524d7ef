#include "DevicePath.h"
#include "DocChecks.h"

#include <QDir>
#include <QTemporaryDir>

#include <fstream>

namespace {

// Each test gets a home and configuration folder of its own, so that the user's real documents
// folder is never touched and the desktop's folder settings cannot leak in.
class IsolatedHome : public ::testing::Test {
protected:
    IsolatedHome() {
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
    }
    ~IsolatedHome() override {
        qputenv("HOME", savedHome);
        qputenv("XDG_CONFIG_HOME", savedConfig); // empty counts as not set
    }
    std::string InHome(const char* relative) const { return home.filePath(relative).toStdString(); }

    QByteArray savedHome = qgetenv("HOME");
    QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir home;
};

struct MappingCase {
    const char* name;
    const char* devicePath;
    const char* inHome; // expected path below the home folder; null: the path stays as given
    // Prints as its name, so that test lists stay readable and the same from run to run.
    friend void PrintTo(const MappingCase& row, std::ostream* os) { *os << row.name; }
};

const MappingCase mappingCases[] = {
    {"default_file", "\\my documents\\aviation.ckl", "Documents/aviation.ckl"},
    {"documents_in_other_letter_case", "\\My DOCUMENTS\\Sub\\x.ckl", "Documents/Sub/x.ckl"},
    {"other_device_folder", "\\Temp\\x.ckl", "Temp/x.ckl"},
    {"documents_prefix_of_a_longer_name", "\\my documentsx\\a.ckl", "my documentsx/a.ckl"},
    {"relative_host_path_with_backslash", "lists\\a.ckl", nullptr},
    {"empty_path", "", nullptr},
};

class HostPathMapping : public IsolatedHome, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(HostPathMapping, PlacesHandheldPathsInTheUsersFolders) {
    const MappingCase& c = GetParam();
    EXPECT_EQ(HostPath(c.devicePath), c.inHome ? InHome(c.inHome) : c.devicePath);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostPathMapping, ::testing::ValuesIn(mappingCases),
                         DocChecks::RowName<MappingCase>);

TEST_F(IsolatedHome, LoadAndSaveUseTheDesktopsDocumentsFolderAndKeepTheHandheldName) {
    ASSERT_TRUE(QDir(home.path()).mkpath(".config") && QDir(home.path()).mkpath("Papers"));
    std::ofstream(InHome(".config/user-dirs.dirs")) << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
    const char* devicePath = "\\my documents\\aviation.ckl";
    ChecklistDoc doc;
    ASSERT_TRUE(doc.SaveFile(devicePath));
    EXPECT_STREQ(doc.fileName, devicePath);
    EXPECT_TRUE(QFile::exists(home.filePath("Papers/aviation.ckl")));
    ChecklistDoc back;
    ASSERT_TRUE(back.LoadFile(devicePath));
    EXPECT_STREQ(back.fileName, devicePath);
    EXPECT_EQ(HostPath(nullptr), "");
}

} // namespace
