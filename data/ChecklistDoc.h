#pragma once

#include <cstddef>
#include <iterator>
#include <memory_resource>
#include <string>
#include <string_view>

// The in-memory checklist document: checklists of one-line items and four hot-button slots,
// each kept in a circular doubly-linked ring closed by an end marker. End markers are told
// apart by identity, never by their text, so any user text (even "HEADER") is ordinary text.
//
// Every text is a private, NUL-terminated 8-bit (UTF-8) copy owned by the document. Nothing
// that was ever part of a document is released before the document itself: an unlinked item
// or a removed checklist stays valid, so a second hot-button slot that still names a removed
// checklist never dangles.

// The elements of one ring in ring order, from the one after the end marker up to the end marker,
// for a range-based for. The ring must not change while it is walked.
template <typename Element> class RingRange {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Element;
        using difference_type = std::ptrdiff_t;
        using pointer = Element*;
        using reference = Element&;

        Iterator() = default;
        explicit Iterator(Element* at) : at(at) {}
        Element& operator*() const { return *at; }
        Element* operator->() const { return at; }
        Iterator& operator++() {
            at = at->next;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            at = at->next;
            return before;
        }
        bool operator==(const Iterator&) const = default;

    private:
        Element* at = nullptr;
    };

    explicit RingRange(Element* endMarker) : endMarker(endMarker) {}
    Iterator begin() const { return Iterator(endMarker->next); }
    Iterator end() const { return Iterator(endMarker); }
    bool empty() const { return endMarker->next == endMarker; }
    // Walks the whole ring.
    std::size_t size() const { return static_cast<std::size_t>(std::distance(begin(), end())); }

private:
    Element* endMarker;
};

struct ChecklistItem {
    ChecklistItem* next = this;
    ChecklistItem* prev = this;
    const char* text = "";
};

class ChecklistDoc;

class Checklist {
public:
    // The name of a checklist that was given none.
    static constexpr const char* defaultName = "nocaption";

    ChecklistItem items; // end marker of the item ring; never shown, saved or counted
    const char* name = defaultName;
    Checklist* next = this;
    Checklist* prev = this;

    // Creates an item holding a copy of text and links it directly after `after`, or at the
    // end of the checklist when `after` is null. Returns the new item.
    ChecklistItem* AppendItem(const char* text, ChecklistItem* after = nullptr);
    ChecklistItem* AppendItem(std::string_view text, ChecklistItem* after = nullptr);
    // Takes the item out of the ring; its own links then point to itself.
    static void UnlinkItem(ChecklistItem* item);
    // Relinks item directly after target; nothing happens when both are the same element.
    static void MoveItemAfter(ChecklistItem* item, ChecklistItem* target);
    // Swaps the item with its predecessor; nothing happens for the first item.
    void MoveItemUp(ChecklistItem* item);
    // Swaps the item with its successor; nothing happens for the last item.
    void MoveItemDown(ChecklistItem* item);
    // Replaces the name by a copy of text.
    void SetName(const char* text);
    void SetName(std::string_view text);

    ChecklistItem* FirstItem() { return items.next == &items ? nullptr : items.next; }
    // The items in order (`for (ChecklistItem& item : list.Items())`) and how many there are.
    RingRange<ChecklistItem> Items() { return RingRange<ChecklistItem>(&items); }
    RingRange<const ChecklistItem> Items() const { return RingRange<const ChecklistItem>(&items); }
    int ItemCount() const { return static_cast<int>(Items().size()); }
    bool IsEnd(const ChecklistItem* item) const { return item == &items; }

private:
    friend class ChecklistDoc;
    explicit Checklist(ChecklistDoc* owner);
    Checklist(const Checklist&) = delete;
    Checklist& operator=(const Checklist&) = delete;
    ChecklistDoc* owner;
};

struct HotButtonSlot {
    HotButtonSlot* next = this;
    HotButtonSlot* prev = this;
    const char* caption = "";
    Checklist* checklist = nullptr; // not owned: it belongs to the document's checklist ring
};

class ChecklistDoc {
public:
    static constexpr int slotCount = 4;

    // A new document: no checklists, four slots captioned "(empty)" without a checklist,
    // modified set, no file name.
    ChecklistDoc();
    ~ChecklistDoc();
    ChecklistDoc(const ChecklistDoc&) = delete;
    ChecklistDoc& operator=(const ChecklistDoc&) = delete;

    // Creates a checklist named "nocaption" with no items, linked to nothing. The document
    // owns it from the start; AppendChecklist puts it into the ring.
    Checklist* CreateChecklist();
    // Links the checklist directly after `after`, or last when `after` is null. Sets modified.
    void AppendChecklist(Checklist* checklist, Checklist* after = nullptr);
    // Clears the first slot that refers to the checklist (caption "(empty)", no checklist),
    // unlinks the checklist and sets modified. Its items stay as they were.
    void RemoveChecklist(Checklist* checklist);
    // The checklist at 0-based position n; n <= 0 gives the first. Null past the end.
    Checklist* ChecklistAt(int n);
    // 0-based position of the checklist in the ring, or -1.
    int IndexOfChecklist(const Checklist* checklist) const;
    int ChecklistCount() const;
    // Slot i for 0..3; i <= 0 gives slot 0; 4 and above give null.
    HotButtonSlot* SlotAt(int i);
    // 0-based position of the slot, or -1.
    int SlotIndex(const HotButtonSlot* slot) const;
    // The lowest-numbered slot that refers to the checklist, or null.
    HotButtonSlot* SlotFor(const Checklist* checklist);
    // Sets caption (a copy) and checklist of SlotAt(i); nothing when there is no such slot.
    // Leaves modified alone.
    void SetSlot(int i, const char* caption, Checklist* checklist);
    void SetSlot(int i, std::string_view caption, Checklist* checklist);
    // Replaces fileName by a copy of path (null clears it).
    void SetFileName(const char* path);

    // Reads the .ckl file at path into this document (the checklists read are appended, read
    // hot-button sections set their slots). On success clears modified, sets fileName to a copy
    // of path and returns true. A file that cannot be opened returns false, leaves the document
    // untouched and, when error is given, describes why.
    bool LoadFile(const char* path, std::string* error = nullptr);
    // Writes the document to path, replacing the file atomically. On success clears modified,
    // sets fileName to a copy of path and returns true. On any failure returns false, leaves
    // the previous file byte for byte and the document unchanged, and describes why in error.
    bool SaveFile(const char* path, std::string* error = nullptr);

    bool IsEnd(const Checklist* checklist) const { return checklist == &checklists; }
    bool IsEnd(const HotButtonSlot* slot) const { return slot == &hotButtons; }
    Checklist* FirstChecklist() { return ChecklistAt(0); }
    // The checklists in file order and the four slots in slot order, for a range-based for.
    RingRange<Checklist> Checklists() { return RingRange<Checklist>(&checklists); }
    RingRange<const Checklist> Checklists() const {
        return RingRange<const Checklist>(&checklists);
    }
    RingRange<HotButtonSlot> HotButtons() { return RingRange<HotButtonSlot>(&hotButtons); }
    RingRange<const HotButtonSlot> HotButtons() const {
        return RingRange<const HotButtonSlot>(&hotButtons);
    }

    // A private, document-owned copy of text, alive as long as the document.
    const char* CopyText(const char* text);
    const char* CopyText(std::string_view text);

private:
    friend class Checklist;
    void* Allocate(std::size_t size, std::size_t alignment);
    std::pmr::monotonic_buffer_resource memory;

public:
    Checklist checklists;     // end marker of the checklist ring; its own item ring stays empty
    HotButtonSlot hotButtons; // end marker of the slot ring; always holds exactly four slots
    bool modified = true;
    const char* fileName = nullptr; // null for a document never loaded or saved
};
