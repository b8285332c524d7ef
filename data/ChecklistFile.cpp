#include "ChecklistFile.h"

#include "ChecklistDoc.h"
#include "DevicePath.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace ChecklistFile {
namespace {

// The most that is taken from a pipe or a device, which can only be read once.
constexpr std::size_t maxStreamBytes = 256u * 1024 * 1024;

// Fills buffer with up to size bytes; returns the count, 0 at the end of the input.
using ByteSource = std::function<std::size_t(char* buffer, std::size_t size)>;

// Checks UTF-8 incrementally, so that a file can be checked chunk by chunk without holding it.
class Utf8Checker {
public:
    void Feed(std::string_view bytes) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* end = p + bytes.size();
        while (p < end && valid) {
            if (pending == 0) {
                // Plain ASCII runs are by far the most common: skip them eight bytes at a time.
                while (end - p >= 8) {
                    std::uint64_t word;
                    std::memcpy(&word, p, 8);
                    if (word & 0x8080808080808080ull) {
                        break;
                    }
                    p += 8;
                }
                if (p == end) {
                    break;
                }
            }
            Step(*p++);
        }
    }
    bool Finish() const { return valid && pending == 0; }

private:
    void Step(unsigned char byte) {
        if (pending == 0) {
            if (byte < 0x80) {
                return;
            }
            if (byte >= 0xC2 && byte <= 0xDF) {
                pending = 1;
                low = 0x80, high = 0xBF;
            } else if (byte >= 0xE0 && byte <= 0xEF) {
                pending = 2;
                low = byte == 0xE0 ? 0xA0 : 0x80;
                high = byte == 0xED ? 0x9F : 0xBF;
            } else if (byte >= 0xF0 && byte <= 0xF4) {
                pending = 3;
                low = byte == 0xF0 ? 0x90 : 0x80;
                high = byte == 0xF4 ? 0x8F : 0xBF;
            } else {
                valid = false;
            }
            return;
        }
        if (byte < low || byte > high) {
            valid = false;
            return;
        }
        low = 0x80, high = 0xBF;
        --pending;
    }

    int pending = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    bool valid = true;
};

// Hands out the lines of a byte stream one at a time, applying the line rules of the format:
// LF ends a line and the carriage returns before it belong to the line end, a last line
// without a line end is read whole, long lines come out as pieces of at most maxBytes,
// Windows-1252 text is converted, and NUL bytes are dropped. A returned line stays valid
// until the next call.
class LineReader {
public:
    LineReader(ByteSource source, bool fromWindows1252, bool describeLines)
        : source(std::move(source)), fromWindows1252(fromWindows1252), describeLines(describeLines),
          buffer(chunkBytes) {}

    // Reads ahead to the first bytes; true when they began with a UTF-8 byte-order mark.
    bool Start() {
        if (firstRead) {
            Refill();
        }
        return byteOrderMark;
    }

    // The next line, or null at the end of the input; valid until the next call.
    const ReadLine* Next() {
        if (rest.empty() && !restIsLine) {
            std::string_view raw;
            if (!NextRawLine(raw)) {
                return nullptr;
            }
            current.raw = raw;
            current.number = ++lineCount;
            rest = Prepare(raw);
            restIsLine = true;
            current.lineBytes = rest.size();
            current.piece = 0;
            current.pieceCount = rest.size() > LineRules::maxBytes ? CountPieces(rest) : 1;
        } else {
            ++current.piece;
        }
        std::size_t cut = rest.size() > LineRules::maxBytes ? PieceEnd(rest) : rest.size();
        std::string_view text = rest.substr(0, cut);
        rest.remove_prefix(cut);
        restIsLine = !rest.empty();
        // Only a piece cut from a run of carriage returns can still end in one.
        while (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        current.text = text;
        return &current;
    }

    int LinesRead() const { return lineCount; }

private:
    bool Refill() {
        if (atEnd) {
            return false;
        }
        std::size_t count = source(buffer.data(), buffer.size());
        if (count == 0) {
            atEnd = true;
            firstRead = false;
            return false;
        }
        position = 0;
        filled = count;
        if (firstRead) {
            firstRead = false;
            if (filled >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0) {
                position = 3; // a UTF-8 byte-order mark is no part of the text
                byteOrderMark = true;
            }
        }
        return true;
    }

    // The next line without its LF, as stored in the file.
    bool NextRawLine(std::string_view& raw) {
        carry.clear();
        bool carrying = false;
        for (;;) {
            if (position == filled && !Refill()) {
                if (!carrying) {
                    return false;
                }
                raw = carry; // a last line without a line end is read whole
                current.endedByLineFeed = false;
                return true;
            }
            const char* start = buffer.data() + position;
            std::size_t available = filled - position;
            const void* newline = std::memchr(start, '\n', available);
            if (newline == nullptr) {
                carry.append(start, available);
                carrying = true;
                position = filled;
                continue;
            }
            std::size_t length = static_cast<const char*>(newline) - start;
            position += length + 1;
            if (carrying) {
                carry.append(start, length);
                raw = carry;
            } else {
                raw = std::string_view(start, length);
            }
            current.endedByLineFeed = true;
            return true;
        }
    }

    // Where the first piece of an over-long line ends: within maxBytes, between characters,
    // and never right after a carriage return, which the written line would lose to its line
    // end. A piece of nothing but carriage returns is cut at the limit.
    static std::size_t PieceEnd(std::string_view text) {
        std::size_t cut = LineRules::maxBytes;
        while (cut > 0 && (!LineRules::IsCharacterStart(text, cut) || text[cut - 1] == '\r')) {
            --cut;
        }
        if (cut > 0) {
            return cut;
        }
        cut = LineRules::FittingLength(text, LineRules::maxBytes);
        return cut > 0 ? cut : LineRules::maxBytes;
    }

    static int CountPieces(std::string_view text) {
        int count = 0;
        while (!text.empty()) {
            text.remove_prefix(text.size() > LineRules::maxBytes ? PieceEnd(text) : text.size());
            ++count;
        }
        return count;
    }

    std::string_view Prepare(std::string_view raw) {
        if (fromWindows1252) {
            converted = Windows1252ToUtf8(raw);
            raw = converted;
        }
        current.nulDropped = std::memchr(raw.data(), '\0', raw.size()) != nullptr;
        if (current.nulDropped) {
            std::string withoutNul;
            withoutNul.reserve(raw.size());
            for (char c : raw) {
                if (c != '\0') {
                    withoutNul.push_back(c);
                }
            }
            converted = std::move(withoutNul);
            raw = converted;
        }
        // Carriage returns before the line end belong to it (CR LF, and the CR CR LF of a
        // file converted twice); a text ending in one could never be written back.
        current.crBeforeEnd = !raw.empty() && raw.back() == '\r';
        while (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        current.strayCr = describeLines && std::memchr(raw.data(), '\r', raw.size()) != nullptr;
        return raw;
    }

    ByteSource source;
    bool fromWindows1252;
    bool describeLines;
    std::vector<char> buffer;
    std::size_t position = 0;
    std::size_t filled = 0;
    bool atEnd = false;
    bool firstRead = true;
    bool byteOrderMark = false;
    int lineCount = 0;
    std::string carry;
    std::string converted;
    std::string_view rest;
    bool restIsLine = false;
    ReadLine current;
};

bool IsTag(std::string_view line, std::string_view tag) {
    return LineRules::IsTagLine(line) && LineRules::TagOf(line) == tag;
}

// Walks the lines through the sections of the format into doc, telling observer (when there is
// one) what it does with each line.
class SectionReader {
public:
    SectionReader(ChecklistDoc& doc, LineReader& reader, ReadObserver* observer)
        : doc(doc), reader(reader), observer(observer) {}

    void Run(CodePage codePage) {
        bool byteOrderMark = reader.Start();
        if (observer) {
            observer->OnStart(codePage, byteOrderMark);
        }
        Checklist* lastChecklist = nullptr;
        while (const ReadLine* line = reader.Next()) {
            if (!LineRules::IsTagLine(line->text)) {
                Report(*line, LineRole::Outside);
                continue;
            }
            std::string_view tag = LineRules::TagOf(line->text);
            if (tag == headerTag) {
                Open(Section::Header, *line);
                ReadHeader();
            } else if (tag == hotButtonTag) {
                Open(Section::HotButton, *line);
                ReadHotButtonSection(lastChecklist);
            } else {
                // Any other tag opens a checklist, a stray "[$$END]" included: the reader
                // forgives.
                Open(Section::Checklist, *line);
                lastChecklist = ReadChecklist();
            }
        }
        doc.modified = false;
        if (observer) {
            observer->OnEnd(reader.LinesRead());
        }
    }

private:
    void Report(const ReadLine& line, LineRole role) {
        if (observer) {
            observer->OnLine(line, role);
        }
    }
    void Open(Section section, const ReadLine& line) {
        if (observer) {
            observer->OnSectionOpen(section, line);
        }
    }
    void Close(Section section, const ReadLine* line) {
        if (observer) {
            observer->OnSectionClose(section, line);
        }
    }

    // Skips lines up to a tag line whose tag is exactly "$$END".
    void ReadHeader() {
        while (const ReadLine* line = reader.Next()) {
            if (IsTag(line->text, endTag)) {
                Close(Section::Header, line);
                return;
            }
            Report(*line, LineRole::InHeader);
        }
        Close(Section::Header, nullptr);
    }

    // The next line is the name, whatever it holds; the items run up to the next tag line,
    // which is consumed without being looked at.
    Checklist* ReadChecklist() {
        Checklist* checklist = doc.CreateChecklist();
        const ReadLine* closing = nullptr;
        if (const ReadLine* name = reader.Next()) {
            Report(*name, LineRole::Name);
            checklist->SetName(name->text);
            while (const ReadLine* line = reader.Next()) {
                if (LineRules::IsTagLine(line->text)) {
                    closing = line;
                    break;
                }
                Report(*line, LineRole::Item);
                checklist->AppendItem(line->text);
            }
        }
        Close(Section::Checklist, closing);
        doc.AppendChecklist(checklist);
        return checklist;
    }

    // Index and caption pairs until "[$$END]" or the end of the input.
    void ReadHotButtonSection(Checklist* lastChecklist) {
        const ReadLine* line = reader.Next();
        for (;;) {
            if (line == nullptr || IsTag(line->text, endTag)) {
                Close(Section::HotButton, line);
                return;
            }
            Report(*line, LineRole::Index);
            int index = ParseSlotIndex(line->text);
            const ReadLine* caption = reader.Next();
            if (caption == nullptr || LineRules::IsTagLine(caption->text)) {
                Close(Section::HotButton, caption);
                return;
            }
            Report(*caption, LineRole::Caption);
            doc.SetSlot(index, caption->text, lastChecklist);
            if (observer) {
                observer->OnHotButton(index, caption->text, lastChecklist);
            }
            line = reader.Next();
        }
    }

    ChecklistDoc& doc;
    LineReader& reader;
    ReadObserver* observer;
};

void ReadAll(ChecklistDoc& doc, ByteSource source, bool fromWindows1252, ReadObserver* observer) {
    LineReader reader(std::move(source), fromWindows1252, observer != nullptr);
    SectionReader(doc, reader, observer)
        .Run(fromWindows1252 ? CodePage::Windows1252 : CodePage::Utf8);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

ByteSource FileSource(std::FILE* file) {
    return [file](char* buffer, std::size_t size) { return std::fread(buffer, 1, size, file); };
}

ByteSource MemorySource(std::string_view bytes) {
    return [bytes](char* buffer, std::size_t size) mutable {
        std::size_t count = std::min(size, bytes.size());
        std::memcpy(buffer, bytes.data(), count);
        bytes.remove_prefix(count);
        return count;
    };
}

void AppendLine(std::string& out, std::string_view text) {
    out.append(text);
    out.push_back('\n');
}

void AppendTagLine(std::string& out, std::string_view tag) {
    out.push_back('[');
    out.append(tag);
    out.append("]\n");
}

// Writes the document section by section, handing full chunks to sink so that a large
// document never needs a second copy of itself in memory.
template <typename Sink> bool WriteSections(ChecklistDoc& doc, Sink&& sink) {
    std::string out;
    out.reserve(chunkBytes * 2);
    AppendTagLine(out, headerTag);
    AppendTagLine(out, endTag);
    auto flush = [&out, &sink] {
        bool ok = sink(out);
        out.clear();
        return ok;
    };
    char number[16];
    for (Checklist& checklist : doc.Checklists()) {
        if (out.size() >= chunkBytes && !flush()) {
            return false;
        }
        AppendTagLine(out, checklistTag);
        AppendLine(out, checklist.name);
        for (const ChecklistItem& item : checklist.Items()) {
            AppendLine(out, item.text);
            if (out.size() >= chunkBytes && !flush()) {
                return false;
            }
        }
        AppendTagLine(out, endTag);
        out.push_back('\n');
        if (HotButtonSlot* slot = doc.SlotFor(&checklist)) {
            AppendTagLine(out, hotButtonTag);
            auto [end, ec] = std::to_chars(number, number + sizeof number, doc.SlotIndex(slot));
            (void)ec;
            AppendLine(out, std::string_view(number, end - number));
            AppendLine(out, slot->caption);
            AppendTagLine(out, endTag);
        }
    }
    return sink(out);
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

// A pipe or a device, which can be read only once.
bool IsStream(std::FILE* file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 && !S_ISREG(status.st_mode) &&
           !S_ISDIR(status.st_mode);
}

// Takes in the rest of file; a stream within a bound, so that an endless device is refused
// instead of read forever. A directory opens on Linux but cannot be read: that is a file that
// cannot be opened.
bool ReadWhole(std::FILE* file, std::string& bytes, std::string* error) {
    const bool bounded = IsStream(file);
    bytes.clear();
    // A file whose size is known is read straight into room of that size; what it has grown
    // by meanwhile follows below.
    struct stat status {};
    if (!bounded && fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size > 0) {
        bytes.resize(static_cast<std::size_t>(status.st_size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
    std::vector<char> chunk(chunkBytes);
    while (std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file)) {
        if (bounded && bytes.size() + count > maxStreamBytes) {
            if (error) {
                *error = ErrorText(EFBIG);
            }
            return false;
        }
        bytes.append(chunk.data(), count);
    }
    if (std::ferror(file)) {
        if (error) {
            *error = ErrorText(errno ? errno : EIO);
        }
        return false;
    }
    return true;
}

} // namespace

void ReadObserver::OnStart(CodePage, bool) {}
void ReadObserver::OnLine(const ReadLine&, LineRole) {}
void ReadObserver::OnSectionOpen(Section, const ReadLine&) {}
void ReadObserver::OnSectionClose(Section, const ReadLine*) {}
void ReadObserver::OnHotButton(int, std::string_view, Checklist*) {}
void ReadObserver::OnEnd(int) {}

int ParseSlotIndex(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + (line[i] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool IsValidUtf8(std::string_view bytes) {
    Utf8Checker checker;
    checker.Feed(bytes);
    return checker.Finish();
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    // Code points of 0x80..0x9F; the undefined values keep their own number.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        char32_t code = byte >= 0x80 && byte <= 0x9F ? high[byte - 0x80] : byte;
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

void ReadText(ChecklistDoc& doc, std::string_view bytes, ReadObserver* observer) {
    ReadAll(doc, MemorySource(bytes), !IsValidUtf8(bytes), observer);
}

std::string WriteText(ChecklistDoc& doc) {
    std::string all;
    WriteSections(doc, [&all](const std::string& chunk) {
        all += chunk;
        return true;
    });
    return all;
}

} // namespace ChecklistFile

bool ChecklistFile::ReadWholeFile(const char* path, std::string& bytes, std::string* error) {
    FileHandle file(std::fopen(HostPath(path).c_str(), "rb"));
    if (!file) {
        if (error) {
            *error = ErrorText(errno);
        }
        return false;
    }
    return ReadWhole(file.get(), bytes, error);
}

bool ChecklistFile::LoadFile(ChecklistDoc& doc, const char* path, std::string* error,
                             ReadObserver* observer) {
    std::string hostPath = HostPath(path);
    FileHandle file(std::fopen(hostPath.c_str(), "rb"));
    if (!file) {
        if (error) {
            *error = ErrorText(errno);
        }
        return false;
    }
    if (IsStream(file.get())) {
        std::string bytes;
        if (!ReadWhole(file.get(), bytes, error)) {
            return false;
        }
        ReadText(doc, bytes, observer);
        doc.SetFileName(path);
        return true;
    }
    // A first pass decides the code page, so that the real reading needs no second chance.
    Utf8Checker checker;
    std::vector<char> chunk(chunkBytes);
    bool readFailed = false;
    while (std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file.get())) {
        checker.Feed(std::string_view(chunk.data(), count));
    }
    readFailed = std::ferror(file.get()) != 0;
    if (readFailed) {
        // A directory opens on Linux but cannot be read: that is a file that cannot be opened.
        if (error) {
            *error = ErrorText(errno ? errno : EIO);
        }
        return false;
    }
    std::rewind(file.get());
    chunk = {};
    ReadAll(doc, FileSource(file.get()), !checker.Finish(), observer);
    doc.SetFileName(path);
    return true;
}

bool ChecklistDoc::LoadFile(const char* path, std::string* error) {
    return ChecklistFile::LoadFile(*this, path, error, nullptr);
}

bool ChecklistDoc::SaveFile(const char* path, std::string* error) {
    using namespace ChecklistFile;
    QSaveFile file(QFile::decodeName(HostPath(path).c_str()));
    // Writing straight through: our own chunks are large, a second buffer would only copy.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error) {
            *error = file.errorString().toStdString();
        }
        return false;
    }
    bool written = WriteSections(*this, [&file](const std::string& chunk) {
        return file.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
               static_cast<qint64>(chunk.size());
    });
    if (!written) {
        if (error) {
            *error = file.errorString().toStdString();
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) {
            *error = file.errorString().toStdString();
        }
        return false;
    }
    modified = false;
    SetFileName(path);
    return true;
}
