#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Points HOME, XDG_CONFIG_HOME and XDG_STATE_HOME into a fresh temporary folder for the life of
// the object, so that the settings store, the kept ticks, the documents folder and everything
// else a test touches is its own.
class IsolatedHome {
public:
    IsolatedHome() {
        EXPECT_TRUE(folder.isValid());
        QDir().mkpath(Path("home"));
        QDir().mkpath(Path("config"));
        qputenv("HOME", Path("home").toUtf8());
        qputenv("XDG_CONFIG_HOME", Path("config").toUtf8());
        qputenv("XDG_STATE_HOME", Path("state").toUtf8());
    }
    // qgetenv gives a null array for a variable that was not set.
    ~IsolatedHome() {
        qputenv("HOME", savedHome);
        savedConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME")
                             : qputenv("XDG_CONFIG_HOME", savedConfig);
        savedState.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", savedState);
    }

    QString Path(const QString& relative) const { return folder.path() + '/' + relative; }

private:
    QTemporaryDir folder;
    QByteArray savedHome = qgetenv("HOME");
    QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    QByteArray savedState = qgetenv("XDG_STATE_HOME");
};
