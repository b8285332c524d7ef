#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ChecklistDoc;

// Where everything of a printed checklist file goes: pages, columns, and the checklists flowing
// through them. The layout measures text through a PrintMeasurer and paints nothing; what it
// makes is a plan of placed texts, boxes and rules that a painter copies onto paper as it is.
namespace ckl {

// What a piece of text on the page is, which decides its type and colour.
enum class Ink {
    Title,
    Subtitle,
    Heading,
    HotButton,
    Item,
    Remark,
    Footer,
    ListTitle,    // a title inside a checklist
    Note,         // the text of a note
    Label,        // "NOTE:" and "CAUTION:"
    WarningLabel, // "WARNING:", white on black
    WarningText,
    CoverTitle,    // the file's name on the cover
    NextChecklist, // "Next: NAME" at the end of a checklist
};

// The type of a paper before --font-size scales it: items and headings, in points.
struct TypeSizes {
    double item = 11;
    double heading = 13;
};
// The size in points of ink on a paper of type, scaled by percent; every ink scales alike.
double InkPoints(Ink ink, const TypeSizes& type, int percent = 100);

// --- paper ---

struct PaperSize {
    double widthMm = 0;
    double heightMm = 0;
};
struct PaperMargins {
    double topMm = 0;
    double rightMm = 0;
    double bottomMm = 0;
    double leftMm = 0;
};
// A sheet of paper as printed on: its size as it lies (width across), the margins and the type
// it takes.
struct Paper {
    PaperSize size;
    PaperMargins margins;
    TypeSizes type;
};

// The named papers, as --page takes them: "a4" (the first, the default), "letter", "a5",
// "kneeboard".
std::vector<std::string_view> PaperNames();
// The paper --page names: a named one, or a size of its own ("100x150mm", "5.5x8.5in"), which is
// set like a5 when its shorter side is under 160 mm and like a4 otherwise. Nothing for a value
// --page refuses.
std::optional<Paper> PaperFor(std::string_view page);
// Reads "12mm" (every side) or "10,12,10,12mm" (top, right, bottom, left), in mm or in, each
// side 0 to 100 mm; nothing for anything else.
std::optional<PaperMargins> ReadMargins(std::string_view text);
// The checks of --page's own sizes and of --margins for the command's declaration: nothing when
// value is taken, else what is taken.
std::optional<std::string> CheckPaperSize(std::string_view value);
std::optional<std::string> CheckMargins(std::string_view value);
// The complaint when a page of size (as it lies) leaves too little room within margins for
// columns columns of at least 20 by 40 mm; nothing when they fit.
std::optional<std::string> RoomComplaint(PaperSize size, const PaperMargins& margins, int columns);

// The measurements of text the layout asks for, in the units of the sheet. Texts are UTF-8.
class PrintMeasurer {
public:
    virtual ~PrintMeasurer() = default;
    // How far text set in ink reaches along its baseline.
    virtual double Advance(std::string_view text, Ink ink) const = 0;
    // From one baseline of ink to the next.
    virtual double LineSpacing(Ink ink) const = 0;
    // How far ink reaches above and below its baseline.
    virtual double Ascent(Ink ink) const = 0;
    virtual double Descent(Ink ink) const = 0;
    // text broken into lines no wider than width, at word boundaries where it can and anywhere
    // where it must; at least one line (an empty one for empty text).
    virtual std::vector<std::string> Wrap(std::string_view text, Ink ink, double width) const = 0;
};

// The printable area of a page, with (0, 0) at its top left, and how many columns divide it.
struct PrintSheet {
    double width = 0;
    double height = 0;
    double unitsPerMm = 1;
    int columns = 1;
};

// The marks a plan is made of, in sheet units. A text stands on its baseline; line widths are
// in millimetres, as the paper's rules are.
struct PlacedText {
    double x = 0;
    double baseline = 0;
    std::string text;
    Ink ink = Ink::Item;
};
struct PlacedBox {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double lineMm = 0.3;
    bool filled = false; // black, without an outline
};
struct PlacedRule {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    double lineMm = 0.3;
    bool dotted = false; // a leader's round dots
    Ink ink = Ink::Item; // whose colour it takes
};

// What a block of the plan shows. Items are blocks of the kinds the conventions give them.
enum class BlockKind {
    DocumentTitle,    // the file's name and how many checklists it holds, on the first page
    ListHeading,      // a checklist's name and the hot buttons that lead to it
    ContinuedHeading, // "NAME (continued)" atop a column that carries a list on
    Title,            // a title inside a checklist
    Challenge,
    ChallengeResponse,
    PlainText,
    Note,
    Caution,
    Warning,
    Space,
    Remark,        // "(no items)", "(no checklists)"
    Footer,        // the file's name and "Page N of M"
    Cover,         // the file's name, its details and what it describes, on the cover
    Contents,      // a checklist's name and page in the cover's table of contents
    NextChecklist, // "Next: NAME", where a list's completion leads on to the next
};

// One block as placed; an item split over two columns is two blocks of its kind.
struct PlacedBlock {
    BlockKind kind = BlockKind::Remark;
    int indent = 0; // levels, for items
    bool centered = false;
    std::vector<PlacedText> texts{};
    std::vector<PlacedBox> boxes{};
    std::vector<PlacedRule> rules{};
};

struct PlanColumn {
    std::vector<PlacedBlock> blocks;
};
struct PlanPage {
    std::vector<PlacedBlock> top{};    // across the columns, above them
    std::vector<PlanColumn> columns{}; // as many as the sheet has
    PlacedBlock footer{};
};
struct PrintPlan {
    std::vector<PlanPage> pages; // never empty
};

// Where a checklist begins: below the one before it (moving on only when a short list does not
// fit the rest of a column), atop a column of its own, or atop a page of its own.
enum class ListStart { Below, Column, Page };

// Lays checklists out one after another. Short lists are kept whole, moving to the next column
// when they do not fit the rest of one; longer lists start where they are and carry on under
// "NAME (continued)". Never paints; asks measurer for every measurement.
class PrintLayout {
public:
    PrintLayout(const PrintMeasurer& measurer, const PrintSheet& sheet);

    // The file's name and a line under it, across the top of the first page; comes first.
    void AddTitle(std::string_view title, std::string_view subtitle);
    // Instead of the title, a cover: name large, detail under it, each field "Label: value",
    // and a table of contents that gives each name in contents the page where the checklist
    // added in its place begins. The checklists begin on the page after it.
    void AddCover(std::string_view name, std::string_view detail,
                  const std::vector<std::pair<std::string, std::string>>& fields,
                  const std::vector<std::string>& contents);
    // A checklist beginning where start says: its name, a line for each hot button that leads
    // to it, its items read by the .ckl conventions ("(no items)" when there are none), and
    // with next, a last line "Next: <next>".
    void AddChecklist(std::string_view name, const std::vector<std::string>& hotButtons,
                      const std::vector<std::string_view>& items,
                      ListStart start = ListStart::Below,
                      std::optional<std::string_view> next = std::nullopt);
    // A document without checklists still prints a page that says so.
    void AddNothing();
    // Hands over the plan, each page with a footer naming fileName and numbering it
    // "Page N of M"; the layout takes nothing more after it.
    PrintPlan Finish(std::string_view fileName);

private:
    struct Row;
    struct Block;
    enum class Carry { Nothing, List };

    double Mm(double mm) const { return mm * sheet.unitsPerMm; }
    double X() const { return column * (columnWidth + gutter); }
    double LineHeight(Ink ink) const { return measurer.LineSpacing(ink); }
    double Height(const std::vector<std::string>& lines, Ink ink) const;
    double Height(const Block& block) const;
    PlanColumn& Column() { return plan.pages[page].columns[column]; }

    bool MakeRoom(double height, Carry carry, const std::function<void()>& leaving = {});
    void Break(bool toPage, Carry carry);
    void StartAfresh(ListStart start);
    void PlaceLines(PlacedBlock& block, const std::vector<std::string>& lines, Ink ink,
                    double indent);
    void PlaceHeading(BlockKind kind, const std::vector<std::string>& lines,
                      const std::vector<std::vector<std::string>>& buttonLines);
    void PlaceBlock(const Block& block);
    Block MakeBlock(std::string_view text) const;
    Block NextBlock(std::string_view next) const;
    Row TextRow(std::string text, Ink ink, double x) const;
    std::vector<Row> LabelledRows(std::string_view label, Ink labelInk, std::string_view text,
                                  Ink ink, double width) const;
    std::vector<Row> ResponseRows(std::string_view challenge, std::string_view response,
                                  double width) const;

    const PrintMeasurer& measurer;
    PrintSheet sheet;
    PrintPlan plan;
    double gutter = 0;
    double columnWidth = 0;
    double columnTop = 0;
    double columnBottom = 0;
    double boxSide = 0;
    double itemIndent = 0;
    double itemGap = 0;
    std::size_t page = 0;
    std::size_t column = 0;
    double y = 0;
    std::string continuedName;
    std::size_t itemsInColumn = 0;
    // Where each checklist's heading went, and where the cover's contents give the pages.
    struct ContentsEntry {
        std::size_t page = 0;
        std::size_t block = 0;
        double baseline = 0;
        double textEnd = 0;
    };
    std::vector<std::size_t> listPages;
    std::vector<ContentsEntry> contentsEntries;
};

// What a print holds besides the checklists, and where they begin.
struct PrintContents {
    // A cover from the file's "Checklist info" list, which is then not printed as a checklist.
    bool cover = false;
    // Each group of checklists (named alike before the first ": ") begins a new page.
    bool groupPages = false;
    ListStart start = ListStart::Below;
};

// The plan of doc printed under the name fileName: its title (or, with contents.cover, a cover),
// then every checklist with the hot buttons that lead to it, "(no name)" for a list without a
// name, and "Next: NAME" at the end of a list whose completion leads to the next checklist.
PrintPlan LayOutDocument(ChecklistDoc& doc, std::string_view fileName,
                         const PrintMeasurer& measurer, const PrintSheet& sheet,
                         const PrintContents& contents = {});

} // namespace ckl
