#pragma once

#include "WinTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// The text form of the settings store file: one "[path]" section per key, its class as
// "@class=text" and its values as "name=TYPE:data", every byte that could be taken for the
// file's syntax written as %XX. The registry service reads and writes the file through these
// functions; they touch no file themselves.
namespace RegistryStoreText {

struct StoredValue {
    QString name;
    DWORD type;
    QByteArray data;
};

struct StoredKey {
    QString path;
    QString keyClass;
    std::vector<StoredValue> values;
};

// The keys in the order the file holds them; no two paths, and no two value names within a key,
// are the same name.
using Store = std::vector<StoredKey>;

// Key paths and value names are compared without regard to letter case: two are the same name
// when their folded forms are equal.
QString FoldedName(const QString& name);
bool SameName(const QString& a, const QString& b);
// The key whose path is path; null when the store has none.
StoredKey* FindKey(Store& store, const QString& path);
// The key whose path is path, appended with no class and no values when the store has none.
StoredKey& FindOrAddKey(Store& store, const QString& path);
// The value of key named name, or key.values.end().
std::vector<StoredValue>::iterator FindValue(StoredKey& key, const QString& name);

// The file's bytes for store, a heading comment first.
QByteArray FormatStore(const Store& store);
// Reads every well-formed section and entry of text, after a UTF-8 byte-order mark if there is
// one. Never fails: damaged lines, and the entries under a damaged section header, are skipped;
// sections of the same path are merged and a later value replaces an earlier one of its name.
Store ParseStore(QByteArrayView text);

} // namespace RegistryStoreText
