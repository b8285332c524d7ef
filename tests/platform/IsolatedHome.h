#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

// Points HOME and XDG_CONFIG_HOME into a fresh temporary folder for the life of the object, so
// that the settings store, the documents folder and everything else a test touches is its own.
class IsolatedHome {
public:
    IsolatedHome()
        : savedHome(qgetenv("HOME")), savedConfig(qgetenv("XDG_CONFIG_HOME")),
          hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        EXPECT_TRUE(folder.isValid());
        QDir().mkpath(Home());
        QDir().mkpath(Config());
        qputenv("HOME", Home().toUtf8());
        qputenv("XDG_CONFIG_HOME", Config().toUtf8());
    }

    ~IsolatedHome() {
        qputenv("HOME", savedHome);
        if (hadConfig) {
            qputenv("XDG_CONFIG_HOME", savedConfig);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
    }

    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;

    QString Home() const { return folder.path() + QStringLiteral("/home"); }
    QString Config() const { return folder.path() + QStringLiteral("/config"); }
    QString Path(const QString& relative) const { return folder.path() + '/' + relative; }

private:
    QTemporaryDir folder;
    QByteArray savedHome;
    QByteArray savedConfig;
    bool hadConfig;
};
