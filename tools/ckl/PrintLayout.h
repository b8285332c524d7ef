#pragma once

#include <functional>
#include <string>
#include <string_view>
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
};

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
    Remark, // "(no items)", "(no checklists)"
    Footer, // the file's name and "Page N of M"
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

// Lays checklists out one after another. Short lists are kept whole, moving to the next column
// when they do not fit the rest of one; longer lists start where they are and carry on under
// "NAME (continued)". Never paints; asks measurer for every measurement.
class PrintLayout {
public:
    PrintLayout(const PrintMeasurer& measurer, const PrintSheet& sheet);

    // The file's name and a line under it, across the top of the first page; comes first.
    void AddTitle(std::string_view title, std::string_view subtitle);
    // A checklist: its name, a line for each hot button that leads to it, and its items read
    // by the .ckl conventions ("(no items)" when there are none).
    void AddChecklist(std::string_view name, const std::vector<std::string>& hotButtons,
                      const std::vector<std::string_view>& items);
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
    void PlaceLines(PlacedBlock& block, const std::vector<std::string>& lines, Ink ink,
                    double indent);
    void PlaceHeading(BlockKind kind, const std::vector<std::string>& lines,
                      const std::vector<std::vector<std::string>>& buttonLines);
    void PlaceBlock(const Block& block);
    Block MakeBlock(std::string_view text) const;
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
};

// The plan of doc printed under the name fileName: its title, then every checklist with the
// hot buttons that lead to it, "(no name)" for a list without a name.
PrintPlan LayOutDocument(const ChecklistDoc& doc, std::string_view fileName,
                         const PrintMeasurer& measurer, const PrintSheet& sheet);

} // namespace ckl
