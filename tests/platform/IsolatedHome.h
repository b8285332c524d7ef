#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Points HOME and XDG_CONFIG_HOME into a fresh temporary folder for the life of the object, so
// that the settings store, the documents folder and everything else a test touches is its own.
class IsolatedHome {
public:
    IsolatedHome() {
        EXPECT_TRUE(folder.isValid());
        QDir().mkpath(Path("home"));
        QDir().mkpath(Path("config"));
        qputenv("HOME", Path("home").toUtf8());
        qputenv("XDG_CONFIG_HOME", Path("config").toUtf8());
    }
    // qgetenv gives a null array for a variable that was not set.
    ~IsolatedHome() {
        qputenv("HOME", savedHome);
        savedConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME")
                             : qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    QString Path(const QString& relative) const { return folder.path() + '/' + relative; }

private:
    QTemporaryDir folder;
    QByteArray savedHome = qgetenv("HOME");
    QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
};
