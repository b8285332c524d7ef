#include "ReferenceChecklist.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdlib.h>
#include <unistd.h>

ReferenceLine* ReferenceRead(const char* path) {
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return nullptr;
    }
    auto* end = static_cast<ReferenceLine*>(std::malloc(sizeof(ReferenceLine)));
    end->next = end->prev = end;
    end->text = nullptr;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        std::size_t length = std::strlen(buffer);
        if (length > 0) {
            buffer[length - 1] = '\0';
        }
        auto* line = static_cast<ReferenceLine*>(std::malloc(sizeof(ReferenceLine)));
        line->text = strdup(buffer);
        line->next = end;
        line->prev = end->prev;
        end->prev->next = line;
        end->prev = line;
    }
    std::fclose(file);
    return end;
}

void ReferenceFree(ReferenceLine* end) {
    ReferenceLine* line = end->next;
    while (line != end) {
        ReferenceLine* next = line->next;
        std::free(line->text);
        std::free(line);
        line = next;
    }
    std::free(end);
}

bool ReferenceWrite(const ReferenceLine* end, const char* path) {
    char temporary[PATH_MAX];
    if (std::snprintf(temporary, sizeof temporary, "%s.XXXXXX", path) >= PATH_MAX) {
        return false;
    }
    int descriptor = mkstemp(temporary);
    if (descriptor < 0) {
        return false;
    }
    FILE* file = fdopen(descriptor, "w");
    if (file == nullptr) {
        close(descriptor);
        unlink(temporary);
        return false;
    }
    bool ok = true;
    for (const ReferenceLine* line = end->next; line != end && ok; line = line->next) {
        ok = std::fputs(line->text, file) >= 0 && std::fputc('\n', file) != EOF;
    }
    ok = ok && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temporary, path) != 0) {
        unlink(temporary);
        return false;
    }
    return true;
}
