#include "RegistryStoreText.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QByteArrayView>

// Reads and writes settings store files as large as the registry service accepts (4 MiB), made
// of many sections or of many values under one key: a damaged file of that kind must not stall
// every call of the service. Beside them, the reference: cutting the same bytes into trimmed
// lines, the least any reader of the file does.

namespace {

using namespace RegistryStoreText;

constexpr qsizetype largestStore = 4 * 1024 * 1024;

// Lines made by line(i) for i = 0, 1, ... until the next would pass the largest store.
template <typename Line> QByteArray Fill(QByteArray text, Line line) {
    for (int i = 0;; ++i) {
        const QByteArray next = line(i);
        if (text.size() + next.size() > largestStore) {
            return text;
        }
        text += next;
    }
}

const QByteArray& ManySections() {
    static const QByteArray text = Fill({}, [](int i) {
        return "[HKEY_CURRENT_USER\\Software\\Velmora\\key" + QByteArray::number(i) +
               "]\n@class=\nv=REG_SZ:x\n";
    });
    return text;
}

const QByteArray& ManyValues() {
    static const QByteArray text =
        Fill("[HKEY_CURRENT_USER\\Software\\Velmora\\test]\n",
             [](int i) { return "Value" + QByteArray::number(i) + "=REG_BINARY:%2A%00%00%00\n"; });
    return text;
}

void Read(benchmark::State& state, const QByteArray& text) {
    for (auto _ : state) {
        Store store = ParseStore(text);
        benchmark::DoNotOptimize(store.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void Write(benchmark::State& state, const QByteArray& text) {
    const Store store = ParseStore(text);
    for (auto _ : state) {
        QByteArray written = FormatStore(store);
        benchmark::DoNotOptimize(written.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void ReferenceLines(benchmark::State& state, const QByteArray& text) {
    for (auto _ : state) {
        qsizetype count = 0;
        const QByteArrayView view(text);
        for (qsizetype start = 0; start < view.size();) {
            qsizetype end = view.indexOf('\n', start);
            if (end < 0) {
                end = view.size();
            }
            count += view.sliced(start, end - start).trimmed().isEmpty() ? 0 : 1;
            start = end + 1;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

BENCHMARK_CAPTURE(Read, ManySections, ManySections())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, ManySections, ManySections())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReferenceLines, ManySections, ManySections())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Read, ManyValues, ManyValues())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, ManyValues, ManyValues())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReferenceLines, ManyValues, ManyValues())->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
