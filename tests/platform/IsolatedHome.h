#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

// Points HOME and XDG_CONFIG_HOME into a fresh temporary folder for the life of the object, so
// that the settings store, the documents folder and everything else a test touches is its own.
class IsolatedHome {
public:
    IsolatedHome() {
        EXPECT_TRUE(folder.isValid());
        QDir().mkpath(Home());
        QDir().mkpath(Path("config"));
        qputenv("HOME", Home().toUtf8());
        qputenv("XDG_CONFIG_HOME", Path("config").toUtf8());
    }
    // qgetenv gives a null array for a variable that was not set.
    ~IsolatedHome() {
        qputenv("HOME", savedHome);
        savedConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME")
                             : qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    QString Home() const { return Path("home"); }
    QString Path(const QString& relative) const { return folder.path() + '/' + relative; }

private:
    QTemporaryDir folder;
    QByteArray savedHome = qgetenv("HOME");
    QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
};
