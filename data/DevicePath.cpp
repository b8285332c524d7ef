#include "DevicePath.h"

#include <QDir>
#include <QStandardPaths>
#include <QString>

#include <cstring>

namespace {

const char documentsPrefix[] = "\\my documents\\";

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (*text == '\0' || QChar::toLower(char16_t(static_cast<unsigned char>(*text))) !=
                                 QChar::toLower(char16_t(static_cast<unsigned char>(*prefix)))) {
            return false;
        }
    }
    return true;
}

// The rest of a device path below its base folder, with "\" turned into "/".
QString RelativePart(const char* rest) {
    QString relative = QString::fromUtf8(rest);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return relative;
}

} // namespace

std::string HostPath(const char* path) {
    if (path == nullptr) {
        return {};
    }
    if (path[0] != '\\') {
        return path;
    }
    QString base;
    const char* rest;
    if (StartsWithIgnoringCase(path, documentsPrefix)) {
        base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        rest = path + std::strlen(documentsPrefix);
    } else {
        base = QDir::homePath();
        rest = path + 1;
    }
    return QFile::encodeName(base + QLatin1Char('/') + RelativePart(rest)).toStdString();
}
