#include "ChecklistDoc.h"
#include "Commands.h"
#include "ReferenceChecklist.h"

#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Loads and saves a generated file of about a million lines (20,000 checklists of 50 items,
// all four hot buttons assigned) with the program's reader and writer and with the C-style
// reference beside them, and `ckl convert` to and from each display's format beside
// `ckl rewrite`. Peak memory is measured in a fresh process per reader, as resident
// memory above what that process held before loading.

namespace {

constexpr int checklistCount = 20'000;
constexpr int itemsPerChecklist = 50;

// A folder of its own for the run, removed at the end, holding the generated file.
class BenchFolder {
public:
    BenchFolder() {
        char pattern[] = "/tmp/tarvasto-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        folder = pattern;
        source = folder + "/generated.ckl";
        Generate();
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::string folder;
    std::string source;
    std::size_t bytes = 0;
    std::size_t lines = 0;

private:
    void Generate() {
        std::ofstream out(source, std::ios::binary);
        auto line = [&](const std::string& text) {
            out << text << '\n';
            bytes += text.size() + 1;
            ++lines;
        };
        line("[$$HEADER]");
        line("[$$END]");
        const int assigned[4] = {0, 1, checklistCount / 2, checklistCount - 1};
        for (int c = 0; c < checklistCount; ++c) {
            line("[$$CHECKLIST]");
            line("Checklist " + std::to_string(c));
            for (int i = 0; i < itemsPerChecklist; ++i) {
                line("Item " + std::to_string(i) + " of checklist " + std::to_string(c) +
                     " ..... CHECKED");
            }
            line("[$$END]");
            line("");
            for (int slot = 0; slot < 4; ++slot) {
                if (assigned[slot] == c) {
                    line("[$$HOTBUTTON]");
                    line(std::to_string(slot));
                    line("Button " + std::to_string(slot));
                    line("[$$END]");
                }
            }
        }
    }
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
        }
    }
    return -1;
}

// Output that goes nowhere, for the ckl commands, so that only their own work is measured.
class Discard : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// Runs a ckl command ("check", "json" or "show") on path with its output discarded; true when
// it read the file (check's status 1 for findings counts as read).
bool RunCklCommand(std::string_view command, const char* path) {
    Discard discard;
    std::ostream nowhere(&discard);
    std::vector<std::string> args = {path};
    int status = ckl::RunCommand(*ckl::CommandNamed(command), args, nowhere, nowhere);
    return status == 0;
}

// Loads the file the way `reader` names ("program", "reference", or a ckl command) and prints the
// peak resident memory above the memory held just before, in KiB. Runs in a fresh process, so that
// nothing the benchmarks left in the heap can lend the reader memory it would otherwise take.
int PrintPeakOfOneLoad(std::string_view reader, const char* path) {
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    long baseline = StatusKb("VmRSS");
    if (reader == "program") {
        ChecklistDoc doc;
        if (!doc.LoadFile(path)) {
            return 1;
        }
        benchmark::DoNotOptimize(doc.checklists.prev);
    } else if (reader != "reference") {
        if (!RunCklCommand(reader, path)) {
            return 1;
        }
    } else {
        ReferenceLine* lines = ReferenceRead(path);
        if (lines == nullptr) {
            return 1;
        }
        benchmark::DoNotOptimize(lines->prev);
        ReferenceFree(lines);
    }
    std::printf("%ld\n", StatusKb("VmHWM") - baseline);
    return 0;
}

constexpr const char* peakOption = "--peak-of-one-load";

// Runs this program again as "--peak-of-one-load READER PATH" and returns what it printed;
// -1 when it could not be measured.
long PeakAboveBaselineKb(const char* reader, const char* path) {
    int channel[2];
    if (pipe(channel) != 0) {
        return -1;
    }
    pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        execl("/proc/self/exe", "data_bench", peakOption, reader, path, nullptr);
        _exit(127);
    }
    close(channel[1]);
    char text[64] = {};
    ssize_t count = child > 0 ? read(channel[0], text, sizeof text - 1) : -1;
    close(channel[0]);
    int status = 1;
    if (child > 0) {
        waitpid(child, &status, 0);
    }
    if (count <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return std::strtol(text, nullptr, 10);
}

void SetFileCounters(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Folder().bytes));
    state.counters["lines"] = static_cast<double>(Folder().lines);
}

void LoadFile(benchmark::State& state) {
    const char* path = Folder().source.c_str();
    for (auto _ : state) {
        ChecklistDoc doc;
        if (!doc.LoadFile(path)) {
            state.SkipWithError("LoadFile failed");
            return;
        }
        benchmark::DoNotOptimize(doc.checklists.prev);
    }
    SetFileCounters(state);
    state.counters["peak_kib"] = static_cast<double>(PeakAboveBaselineKb("program", path));
}
BENCHMARK(LoadFile)->Unit(benchmark::kMillisecond);

void ReferenceReader(benchmark::State& state) {
    const char* path = Folder().source.c_str();
    for (auto _ : state) {
        ReferenceLine* lines = ReferenceRead(path);
        if (lines == nullptr) {
            state.SkipWithError("ReferenceRead failed");
            return;
        }
        benchmark::DoNotOptimize(lines->prev);
        ReferenceFree(lines);
    }
    SetFileCounters(state);
    state.counters["peak_kib"] = static_cast<double>(PeakAboveBaselineKb("reference", path));
}
BENCHMARK(ReferenceReader)->Unit(benchmark::kMillisecond);

// The ckl commands that read a whole file, beside LoadFile: check watches the reader, json and
// show print what it read. Their peaks compare with show's, which holds only the document.
void CklCommand(benchmark::State& state, const char* command) {
    const char* path = Folder().source.c_str();
    for (auto _ : state) {
        if (!RunCklCommand(command, path)) {
            state.SkipWithError("the command failed");
            return;
        }
    }
    SetFileCounters(state);
    long peak = PeakAboveBaselineKb(command, path);
    static long showPeak = PeakAboveBaselineKb("show", path);
    state.counters["peak_kib"] = static_cast<double>(peak);
    state.counters["peak_vs_show"] = static_cast<double>(peak) / static_cast<double>(showPeak);
}
BENCHMARK_CAPTURE(CklCommand, check, "check")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CklCommand, json, "json")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CklCommand, show, "show")->Unit(benchmark::kMillisecond);

void SaveFile(benchmark::State& state) {
    ChecklistDoc doc;
    if (!doc.LoadFile(Folder().source.c_str())) {
        state.SkipWithError("LoadFile failed");
        return;
    }
    std::string target = Folder().folder + "/saved.ckl";
    for (auto _ : state) {
        if (!doc.SaveFile(target.c_str())) {
            state.SkipWithError("SaveFile failed");
            return;
        }
    }
    SetFileCounters(state);
}
BENCHMARK(SaveFile)->Unit(benchmark::kMillisecond);

void ReferenceWriter(benchmark::State& state) {
    ReferenceLine* lines = ReferenceRead(Folder().source.c_str());
    if (lines == nullptr) {
        state.SkipWithError("ReferenceRead failed");
        return;
    }
    std::string target = Folder().folder + "/reference.ckl";
    for (auto _ : state) {
        if (!ReferenceWrite(lines, target.c_str())) {
            state.SkipWithError("ReferenceWrite failed");
            break;
        }
    }
    ReferenceFree(lines);
    SetFileCounters(state);
}
BENCHMARK(ReferenceWriter)->Unit(benchmark::kMillisecond);

// The ckl commands in-process, their output and complaints thrown away. A tool that only
// writes what it read is the yardstick for converting: `ckl rewrite` of the same file.
int RunCkl(std::string_view command, std::vector<std::string> args) {
    std::ostream nowhere(nullptr);
    return ckl::RunCommand(*ckl::CommandNamed(command), args, nowhere, nowhere);
}

void CklRewrite(benchmark::State& state) {
    std::string target = Folder().folder + "/rewritten.ckl";
    for (auto _ : state) {
        if (RunCkl("rewrite", {Folder().source, target}) != 0) {
            state.SkipWithError("ckl rewrite failed");
            return;
        }
    }
    SetFileCounters(state);
}
BENCHMARK(CklRewrite)->Unit(benchmark::kMillisecond);

// The file in each format, written once for the conversions from it.
const std::string& Converted(const std::string& format) {
    static std::map<std::string, std::string> paths;
    std::string& path = paths[format];
    if (path.empty()) {
        path = Folder().folder + "/generated." + format;
        RunCkl("convert", {Folder().source, path, "--to", format});
    }
    return path;
}

// Converting the .ckl to the format named by the benchmark's argument, and back.
const char* const formats[] = {"ace", "dynon", "grt", "efis-json", "foreflight", "garmin-pilot"};

void CklConvertTo(benchmark::State& state) {
    std::string format = formats[state.range(0)];
    state.SetLabel(format);
    std::string target = Folder().folder + "/out." + format;
    for (auto _ : state) {
        if (RunCkl("convert", {Folder().source, target, "--to", format}) != 0) {
            state.SkipWithError("ckl convert failed");
            return;
        }
    }
    SetFileCounters(state);
}
BENCHMARK(CklConvertTo)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void CklConvertFrom(benchmark::State& state) {
    std::string format = formats[state.range(0)];
    state.SetLabel(format);
    const std::string& source = Converted(format);
    std::string target = Folder().folder + "/back.ckl";
    for (auto _ : state) {
        if (RunCkl("convert", {source, target, "--from", format}) != 0) {
            state.SkipWithError("ckl convert failed");
            return;
        }
    }
    SetFileCounters(state);
}
BENCHMARK(CklConvertFrom)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// The wrapping of the two tablet formats apart, on the same JSON as the conversions above: AES
// of a ForeFlight file and the gzip-compressed tar of a Garmin Pilot file. A conversion's own
// work is its time less these.
std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr unsigned char foreFlightKey[] = "81e06e41a93f3848";

// AES-128-CBC of in under ForeFlight's key; false when the cipher refuses.
bool Aes(bool encrypt, std::string_view iv, std::string_view in, std::string& out) {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    out.resize(in.size() + 16);
    int written = 0;
    int last = 0;
    const auto* ivBytes = reinterpret_cast<const unsigned char*>(iv.data());
    const auto* inBytes = reinterpret_cast<const unsigned char*>(in.data());
    auto* outBytes = reinterpret_cast<unsigned char*>(out.data());
    bool done =
        EVP_CipherInit_ex(context, EVP_aes_128_cbc(), nullptr, foreFlightKey, ivBytes,
                          encrypt ? 1 : 0) == 1 &&
        EVP_CipherUpdate(context, outBytes, &written, inBytes, static_cast<int>(in.size())) == 1 &&
        EVP_CipherFinal_ex(context, outBytes + written, &last) == 1;
    EVP_CIPHER_CTX_free(context);
    out.resize(static_cast<std::size_t>(written + last));
    return done;
}

// The JSON inside the generated ForeFlight file.
const std::string& ForeFlightJson() {
    static const std::string json = [] {
        std::string file = ReadWhole(Converted("foreflight"));
        std::string plain;
        if (file.size() < 16 || !Aes(false, std::string_view(file).substr(0, 16),
                                     std::string_view(file).substr(16), plain)) {
            plain.clear();
        }
        return plain;
    }();
    return json;
}

void ForeFlightAes(benchmark::State& state) {
    const bool encrypt = state.range(0) == 1;
    state.SetLabel(encrypt ? "encrypt" : "decrypt");
    const std::string file = ReadWhole(Converted("foreflight"));
    const std::string iv = file.substr(0, 16);
    std::string out;
    for (auto _ : state) {
        if (!Aes(encrypt, iv, encrypt ? ForeFlightJson() : std::string_view(file).substr(16),
                 out)) {
            state.SkipWithError("AES failed");
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["MB"] = static_cast<double>(ForeFlightJson().size()) / 1e6;
}
BENCHMARK(ForeFlightAes)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// The one member of a gzip-compressed tar; empty when there is none.
std::string Unpacked(const std::string& packed) {
    archive* reader = archive_read_new();
    archive_read_support_filter_gzip(reader);
    archive_read_support_format_tar(reader);
    std::string member;
    archive_entry* entry = nullptr;
    if (archive_read_open_memory(reader, packed.data(), packed.size()) == ARCHIVE_OK &&
        archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
        member.resize(static_cast<std::size_t>(archive_entry_size(entry)));
        la_ssize_t got = archive_read_data(reader, member.data(), member.size());
        member.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    }
    archive_read_free(reader);
    return member;
}

std::string Packed(const std::string& member) {
    archive* writer = archive_write_new();
    archive_write_add_filter_gzip(writer);
    archive_write_set_format_ustar(writer);
    std::string packed(member.size() + (1 << 20), '\0');
    std::size_t used = 0;
    archive_write_open_memory(writer, packed.data(), packed.size(), &used);
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, "content.json");
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(member.size()));
    archive_write_header(writer, entry);
    archive_write_data(writer, member.data(), member.size());
    archive_entry_free(entry);
    archive_write_close(writer);
    archive_write_free(writer);
    packed.resize(used);
    return packed;
}

void GarminPilotGzipTar(benchmark::State& state) {
    const bool pack = state.range(0) == 1;
    state.SetLabel(pack ? "pack" : "unpack");
    const std::string file = ReadWhole(Converted("garmin-pilot"));
    const std::string json = Unpacked(file);
    if (json.empty()) {
        state.SkipWithError("no content.json");
        return;
    }
    for (auto _ : state) {
        std::string out = pack ? Packed(json) : Unpacked(file);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["MB"] = static_cast<double>(json.size()) / 1e6;
}
BENCHMARK(GarminPilotGzipTar)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == peakOption) {
        return PrintPeakOfOneLoad(argv[2], argv[3]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
