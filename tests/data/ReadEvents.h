#pragma once

#include "ChecklistDoc.h"
#include "ChecklistFile.h"

#include <string>
#include <string_view>
#include <vector>

// Watches the reader and builds, from what it reports alone, the document it must have read;
// it also notes where the reports break their own rules (a line reported twice or skipped, a
// section closed that was never opened). Shared by the reader's tests and the fuzz targets.
class ReadEvents : public ChecklistFile::ReadObserver {
public:
    using CodePage = ChecklistFile::CodePage;
    using LineRole = ChecklistFile::LineRole;
    using ReadLine = ChecklistFile::ReadLine;
    using Section = ChecklistFile::Section;

    ChecklistDoc rebuilt;
    std::vector<std::string> faults;
    int linesReported = 0; // lines whose first piece was reported
    bool ended = false;

    void OnStart(CodePage, bool) override {
        if (started) {
            faults.push_back("started twice");
        }
        started = true;
    }

    void OnLine(const ReadLine& line, LineRole role) override {
        Take(line);
        if (role == LineRole::Name) {
            if (checklist == nullptr || checklist->name != std::string_view("nocaption") || named) {
                faults.push_back("name outside a fresh checklist");
            }
            if (checklist) {
                checklist->SetName(line.text);
            }
            named = true;
        } else if (role == LineRole::Item) {
            if (checklist == nullptr || !named) {
                faults.push_back("item before a name");
            } else {
                checklist->AppendItem(line.text);
            }
        } else if ((role == LineRole::Index || role == LineRole::Caption) &&
                   open != Section::HotButton) {
            faults.push_back("hot-button line outside a hot-button section");
        } else if (role == LineRole::InHeader && open != Section::Header) {
            faults.push_back("header line outside the header");
        } else if (role == LineRole::Outside && isOpen) {
            faults.push_back("outside line inside a section");
        }
    }

    void OnSectionOpen(Section section, const ReadLine& tagLine) override {
        Take(tagLine);
        if (isOpen) {
            faults.push_back("section opened inside another");
        }
        if (!LineRules::IsTagLine(tagLine.text)) {
            faults.push_back("section opened by a plain line");
        }
        isOpen = true;
        open = section;
        if (section == Section::Checklist) {
            checklist = rebuilt.CreateChecklist();
            named = false;
        }
    }

    void OnSectionClose(Section section, const ReadLine* closingLine) override {
        if (closingLine) {
            Take(*closingLine);
            if (!LineRules::IsTagLine(closingLine->text)) {
                faults.push_back("section closed by a plain line");
            }
        }
        if (!isOpen || open != section) {
            faults.push_back("closed a section that is not open");
        }
        isOpen = false;
        if (section == Section::Checklist && checklist) {
            rebuilt.AppendChecklist(checklist);
            lastChecklist = checklist;
            checklist = nullptr;
        }
    }

    void OnHotButton(int index, std::string_view caption, Checklist* target) override {
        if ((target == nullptr) != (lastChecklist == nullptr)) {
            faults.push_back("hot button for another checklist than the last one reported");
        }
        rebuilt.SetSlot(index, caption, lastChecklist);
    }

    void OnEnd(int lineCount) override {
        if (isOpen) {
            faults.push_back("input ended inside a section that was never closed");
        }
        if (lineCount != linesReported) {
            faults.push_back("reported " + std::to_string(linesReported) + " lines of " +
                             std::to_string(lineCount));
        }
        ended = true;
        rebuilt.modified = false;
    }

private:
    // Lines come one piece at a time, in file order, none left out.
    void Take(const ReadLine& line) {
        if (!started || ended) {
            faults.push_back("line outside the read");
        }
        if (line.piece == 0) {
            if (line.number != linesReported + 1) {
                faults.push_back("line " + std::to_string(line.number) + " after " +
                                 std::to_string(linesReported));
            }
            linesReported = line.number;
        } else if (line.number != linesReported || line.piece != lastPiece + 1) {
            faults.push_back("piece out of order on line " + std::to_string(line.number));
        }
        if (line.piece >= line.pieceCount || line.text.size() > LineRules::maxBytes) {
            faults.push_back("piece beyond its line on line " + std::to_string(line.number));
        }
        lastPiece = line.piece;
    }

    bool started = false;
    bool isOpen = false;
    Section open = Section::Header;
    Checklist* checklist = nullptr;
    Checklist* lastChecklist = nullptr;
    bool named = false;
    int lastPiece = 0;
};
