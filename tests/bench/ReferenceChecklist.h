#pragma once

#include <cstddef>

// The simplest C-style way to hold a checklist file: every line a node of one ring, with a
// duplicate of its text. The yardstick for the program's own reader and writer.
struct ReferenceLine {
    ReferenceLine* next;
    ReferenceLine* prev;
    char* text;
};

// Reads the file line by line with fgets into a 1,024-byte buffer, removing each line's
// newline, into a ring of malloc'ed nodes holding strdup'ed texts. Returns the ring's end
// marker (free it with ReferenceFree), or null when the file cannot be opened.
ReferenceLine* ReferenceRead(const char* path);
// Frees every node and text of the ring, and the end marker.
void ReferenceFree(ReferenceLine* end);
// Writes every line with one fputs and its newline to a temporary file in the target's
// folder, flushes it to disk and renames it over path. Returns false on any failure, leaving
// the previous file.
bool ReferenceWrite(const ReferenceLine* end, const char* path);
