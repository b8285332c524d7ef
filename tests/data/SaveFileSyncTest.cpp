#include "ChecklistDoc.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// This test program stands in for the C library's flush-to-disk calls, noting which file each
// flushed, so that a test can prove a saved file reached the disk before it got its name.
namespace {

struct SyncRecord {
    int calls = 0;
    ino_t lastInode = 0;
};
SyncRecord syncRecord;

void NoteSync(int descriptor) {
    struct stat info {};
    if (fstat(descriptor, &info) == 0) {
        ++syncRecord.calls;
        syncRecord.lastInode = info.st_ino;
    }
}

using SyncFunction = int (*)(int);

SyncFunction RealFunction(const char* name) {
    return reinterpret_cast<SyncFunction>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int descriptor) {
    static SyncFunction real = RealFunction("fsync");
    NoteSync(descriptor);
    return real(descriptor);
}

extern "C" int fdatasync(int descriptor) {
    static SyncFunction real = RealFunction("fdatasync");
    NoteSync(descriptor);
    return real(descriptor);
}

namespace {

TEST(SaveFileSync, SavedFileIsFlushedToDiskBeforeItReplacesTheOld) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = dir.filePath("synced.ckl").toStdString();
    ChecklistDoc doc;
    ASSERT_TRUE(doc.SaveFile(path.c_str())); // a first version to be replaced
    syncRecord = {};
    ASSERT_TRUE(doc.SaveFile(path.c_str()));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_GE(syncRecord.calls, 1);
    EXPECT_EQ(syncRecord.lastInode, info.st_ino);
}

} // namespace
