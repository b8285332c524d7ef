#include "RegistryStoreText.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Reads any bytes as a settings store file, writes what was read, reads that back and demands
// the same keys and values: a store the program wrote must read back as it was, and writing it
// again must give the same bytes. Any difference aborts with a description.

namespace {

using namespace RegistryStoreText;

[[noreturn]] void Fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "settings store round trip: %s %s\n", what, qUtf8Printable(detail));
    std::abort();
}

// What every reading promises: paths without empty parts, no path twice and no value name twice
// in a key, letter case aside.
void CheckStore(Store& store) {
    for (auto key = store.begin(); key != store.end(); ++key) {
        if (key->path.isEmpty() || key->path.startsWith(QLatin1Char('\\')) ||
            key->path.endsWith(QLatin1Char('\\')) || key->path.contains(QStringLiteral("\\\\"))) {
            Fail("key path with an empty part:", key->path);
        }
        if (FindKey(store, key->path) != &*key) {
            Fail("key path read twice:", key->path);
        }
        for (auto value = key->values.begin(); value != key->values.end(); ++value) {
            if (FindValue(*key, value->name) != value) {
                Fail("value name read twice:", key->path + QLatin1Char('\\') + value->name);
            }
        }
    }
}

// The same keys in the same order with the same classes, holding the same values in the same
// order: names, types and exact bytes.
void CompareStores(const Store& first, const Store& second) {
    if (first.size() != second.size()) {
        Fail("key counts differ");
    }
    for (std::size_t k = 0; k < first.size(); ++k) {
        const StoredKey& a = first[k];
        const StoredKey& b = second[k];
        if (a.path != b.path) {
            Fail("key paths differ:", a.path + QStringLiteral(" / ") + b.path);
        }
        if (a.keyClass != b.keyClass) {
            Fail("key classes differ in", a.path);
        }
        if (a.values.size() != b.values.size()) {
            Fail("value counts differ in", a.path);
        }
        for (std::size_t v = 0; v < a.values.size(); ++v) {
            const StoredValue& x = a.values[v];
            const StoredValue& y = b.values[v];
            if (x.name != y.name || x.type != y.type || x.data != y.data) {
                Fail("values differ in", a.path + QLatin1Char('\\') + x.name);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Store first = ParseStore(QByteArrayView(data, static_cast<qsizetype>(size)));
    CheckStore(first);
    const QByteArray once = FormatStore(first);

    Store second = ParseStore(once);
    CheckStore(second);
    CompareStores(first, second);
    if (FormatStore(second) != once) {
        Fail("writing the store read back gives other bytes");
    }
    return 0;
}
