#include "Conversion.h"

#include "ChecklistDoc.h"
#include "CklConventions.h"

namespace convert {

const Format* RecogniseFormat(std::string_view path, std::string_view bytes,
                              std::string& complaint) {
    std::string makers;
    for (const Format* format : FormatsOfName(path)) {
        if (format->recognise == nullptr || format->recognise(bytes)) {
            return format;
        }
        makers += (makers.empty() ? "neither a " : " nor a ") + std::string(format->maker);
    }
    complaint = makers + " checklist file";
    return nullptr;
}

std::optional<ReadError> ReadIntoDoc(const Format& format, std::string_view bytes,
                                     ChecklistDoc& doc, Warnings& warnings) {
    Book book;
    if (std::optional<ReadError> error = format.read(bytes, book, warnings)) {
        return error;
    }
    BookToDoc(book, doc, warnings);
    return std::nullopt;
}

std::string PlaceOf(const Format& format, const ReadError& error) {
    if (error.at == ReadError::nowhere) {
        return {};
    }
    std::string place = (format.positionsInBytes ? ": byte " : ":") + std::to_string(error.at);
    if (error.column != 0) {
        place += ':' + std::to_string(error.column);
    }
    return place;
}

bool WriteFromDoc(ChecklistDoc& doc, const Format& format, const WriteOptions& options,
                  Warnings& warnings, const ChunkSink& sink) {
    for (const HotButtonSlot& slot : doc.HotButtons()) {
        if (slot.checklist != nullptr) {
            warnings.Add("the hot buttons are not written: " + std::string(format.name) +
                         " files have none");
            break;
        }
    }
    Book book = DocToBook(doc, format.holdsGroups, format.holdsLineBreaks);
    WarnOfWhatIsLost(book, format, warnings);
    return format.write(book, options, warnings, sink);
}

} // namespace convert
