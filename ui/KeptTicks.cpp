#include "KeptTicks.h"

#include "ChecklistDoc.h"
#include "DevicePath.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// What marks a state file as the program's own, in the version it reads.
const QString stateKind = QStringLiteral("tarvasto kept ticks");
constexpr int stateVersion = 1;
// Far beyond the ticks of any real document: a larger file is not one of ours.
constexpr qint64 largestStateFile = 64 * 1024 * 1024;

// The size and modification time of the file at path (a checklist path as the document keeps
// it), or nulls when it cannot be seen.
struct FileStamp {
    QJsonValue size;
    QJsonValue modified;
};

FileStamp StampOf(const char* path) {
    const QFileInfo info(QFile::decodeName(HostPath(path).c_str()));
    if (!info.isFile()) {
        return {};
    }
    return {QJsonValue(info.size()), QJsonValue(info.lastModified().toMSecsSinceEpoch())};
}

// A number of a state file as a position: a whole number from 0 below limit, else -1.
qint64 PositionOf(const QJsonValue& value, qint64 limit) {
    if (!value.isDouble()) {
        return -1;
    }
    const qint64 position = value.toInteger(-1);
    return position >= 0 && position < limit && static_cast<double>(position) == value.toDouble()
               ? position
               : -1;
}

void AddText(QCryptographicHash& hash, const char* text) {
    // Each text with its length in front, so that no two documents run together alike.
    const std::uint64_t length = std::strlen(text);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&length), sizeof length));
    hash.addData(QByteArrayView(text, static_cast<qsizetype>(length)));
}

} // namespace

bool KeptTicks::Set(const ChecklistItem* item, bool tick) {
    return tick ? ticked.insert(item).second : ticked.erase(item) > 0;
}

QString KeptTicks::StateFilePath() {
    // Only an absolute XDG_STATE_HOME counts; a relative one is to be ignored.
    QString folder = qEnvironmentVariable("XDG_STATE_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder)) {
        folder = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return folder + QStringLiteral("/tarvasto/kept-ticks.json");
}

void KeptTicks::Forget() {
    QFile::remove(StateFilePath());
}

const QByteArray& KeptTicks::Fingerprint(const ChecklistDoc& doc) {
    if (fingerprint.isEmpty()) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const Checklist& list : doc.Checklists()) {
            AddText(hash, list.name);
            const std::uint64_t count = static_cast<std::uint64_t>(list.ItemCount());
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(&count), sizeof count));
            for (const ChecklistItem& item : list.Items()) {
                AddText(hash, item.text);
            }
        }
        fingerprint = hash.result().toHex();
    }
    return fingerprint;
}

void KeptTicks::Store(const ChecklistDoc& doc, const Checklist* shown) {
    if (doc.fileName == nullptr || doc.fileName[0] == '\0') {
        Forget();
        return;
    }
    const FileStamp stamp = StampOf(doc.fileName);
    QJsonArray lists;
    int shownPosition = -1;
    int position = 0;
    for (const Checklist& list : doc.Checklists()) {
        if (&list == shown) {
            shownPosition = position;
        }
        QJsonArray entry{position};
        int itemPosition = 0;
        for (const ChecklistItem& item : list.Items()) {
            if (ticked.contains(&item)) {
                entry.append(itemPosition);
            }
            ++itemPosition;
        }
        if (entry.size() > 1) {
            lists.append(entry);
        }
        ++position;
    }
    const QJsonObject state{
        {QStringLiteral("kind"), stateKind},
        {QStringLiteral("version"), stateVersion},
        {QStringLiteral("file"), QString::fromUtf8(doc.fileName)},
        {QStringLiteral("size"), stamp.size},
        {QStringLiteral("modified"), stamp.modified},
        {QStringLiteral("document"), QString::fromLatin1(Fingerprint(doc))},
        {QStringLiteral("shown"), shownPosition},
        {QStringLiteral("ticks"), lists},
    };
    const QString path = StateFilePath();
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(state).toJson(QJsonDocument::Compact);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) {
        file.commit();
    }
}

Checklist* KeptTicks::Restore(ChecklistDoc& doc) {
    QFile file(StateFilePath());
    if (doc.fileName == nullptr || !file.open(QIODevice::ReadOnly) ||
        file.size() > largestStateFile) {
        return nullptr;
    }
    const QJsonObject state = QJsonDocument::fromJson(file.readAll()).object();
    const FileStamp stamp = StampOf(doc.fileName);
    if (state.value(QStringLiteral("kind")) != stateKind ||
        state.value(QStringLiteral("version")) != stateVersion ||
        state.value(QStringLiteral("file")) != QString::fromUtf8(doc.fileName) ||
        stamp.size.isNull() || state.value(QStringLiteral("size")) != stamp.size ||
        state.value(QStringLiteral("modified")) != stamp.modified ||
        state.value(QStringLiteral("document")) != QString::fromLatin1(Fingerprint(doc))) {
        return nullptr;
    }
    std::vector<Checklist*> lists;
    for (Checklist& list : doc.Checklists()) {
        lists.push_back(&list);
    }
    const auto listCount = static_cast<qint64>(lists.size());
    const QJsonValue shownValue = state.value(QStringLiteral("shown"));
    const qint64 shown = PositionOf(shownValue, listCount);
    if (shown < 0 && shownValue != -1) {
        return nullptr;
    }
    // Every tick is checked before any is taken: a file that is wrong in one place is not ours.
    std::vector<const ChecklistItem*> found;
    for (const QJsonValue& entry : state.value(QStringLiteral("ticks")).toArray()) {
        const QJsonArray numbers = entry.toArray();
        const qint64 list = PositionOf(numbers.at(0), listCount);
        if (list < 0) {
            return nullptr;
        }
        std::vector<const ChecklistItem*> items;
        for (const ChecklistItem& item : lists[static_cast<std::size_t>(list)]->Items()) {
            items.push_back(&item);
        }
        for (qsizetype i = 1; i < numbers.size(); ++i) {
            const qint64 item = PositionOf(numbers.at(i), static_cast<qint64>(items.size()));
            if (item < 0) {
                return nullptr;
            }
            found.push_back(items[static_cast<std::size_t>(item)]);
        }
    }
    ticked.insert(found.begin(), found.end());
    return shown >= 0 ? lists[static_cast<std::size_t>(shown)] : nullptr;
}
