#include "ChecklistDoc.h"
#include "CklSupport.h"
#include "Commands.h"
#include "LineRules.h"
#include "PrintLayout.h"

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#ifdef TARVASTO_HAVE_PRINT
#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#endif

namespace ckl {
namespace {

struct PrintOptions {
    std::string input;
    std::string output;
    Paper paper;
    int columns = 1;
    int fontPercent = 100;
    PrintContents contents;
};

// Takes the options from the command line as the parser read it, which has checked each value;
// the paper with its orientation and margins, or the complaint when they leave no room.
std::variant<PrintOptions, std::string> OptionsOf(const CommandLine& line) {
    PrintOptions options;
    options.input = line.files[0];
    options.output = line.Value("--output");
    options.paper = *PaperFor(line.Value("--page", PaperNames().front()));
    options.columns = std::stoi(std::string(line.Value("--columns", "1")));
    options.fontPercent = std::stoi(std::string(line.Value("--font-size", "100")));
    // A page turned lies with its long side across; a size of one's own lies as given.
    PaperSize& size = options.paper.size;
    if (line.Has("--orientation") &&
        (line.Value("--orientation") == "landscape") != (size.widthMm > size.heightMm)) {
        std::swap(size.widthMm, size.heightMm);
    }
    if (line.Has("--margins")) {
        options.paper.margins = *ReadMargins(line.Value("--margins"));
    }
    if (std::optional<std::string> complaint =
            RoomComplaint(size, options.paper.margins, options.columns)) {
        return *complaint;
    }
    options.contents.cover = line.Has("--cover");
    options.contents.groupPages = line.Has("--group-pages");
    std::string_view start = line.Value("--start", "below");
    options.contents.start = start == "page"     ? ListStart::Page
                             : start == "column" ? ListStart::Column
                                                 : ListStart::Below;
    return options;
}

#ifdef TARVASTO_HAVE_PRINT

struct Fonts {
    QFont title, subtitle, heading, hotButton, item, remark, footer, listTitle, note, label,
        warningText, coverTitle, nextChecklist;

    Fonts(const TypeSizes& type, int percent) {
        QFont base("DejaVu Sans");
        // No ligatures: "ff" must stay two letters for anyone who copies or searches the text.
        base.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
        auto sized = [&](Ink ink, QFont::Weight weight = QFont::Normal) {
            QFont font = base;
            font.setPointSizeF(InkPoints(ink, type, percent));
            font.setWeight(weight);
            return font;
        };
        title = sized(Ink::Title, QFont::Bold);
        subtitle = sized(Ink::Subtitle);
        heading = sized(Ink::Heading, QFont::Bold);
        hotButton = sized(Ink::HotButton, QFont::DemiBold);
        item = sized(Ink::Item);
        remark = sized(Ink::Remark);
        remark.setItalic(true);
        footer = sized(Ink::Footer);
        listTitle = sized(Ink::ListTitle, QFont::Bold);
        listTitle.setCapitalization(QFont::AllUppercase);
        note = sized(Ink::Note);
        note.setItalic(true);
        label = sized(Ink::Label, QFont::Bold);
        warningText = sized(Ink::WarningText, QFont::Bold);
        coverTitle = sized(Ink::CoverTitle, QFont::Bold);
        nextChecklist = sized(Ink::NextChecklist, QFont::Bold);
    }

    const QFont& For(Ink ink) const {
        switch (ink) {
        case Ink::Title:
            return title;
        case Ink::Subtitle:
            return subtitle;
        case Ink::Heading:
            return heading;
        case Ink::HotButton:
            return hotButton;
        case Ink::Item:
            return item;
        case Ink::Remark:
            return remark;
        case Ink::ListTitle:
            return listTitle;
        case Ink::Note:
            return note;
        case Ink::Label:
        case Ink::WarningLabel:
            return label;
        case Ink::WarningText:
            return warningText;
        case Ink::CoverTitle:
            return coverTitle;
        case Ink::NextChecklist:
            return nextChecklist;
        case Ink::Footer:
            break;
        }
        return footer;
    }
};

QColor ColorFor(Ink ink) {
    switch (ink) {
    case Ink::Subtitle:
    case Ink::Remark:
    case Ink::Footer:
        return QColor(90, 90, 90);
    case Ink::HotButton:
        return QColor(40, 40, 40);
    case Ink::WarningLabel:
        return Qt::white;
    default:
        return Qt::black;
    }
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Measures with the fonts as the PDF writer sets them.
class FontMeasurer : public PrintMeasurer {
public:
    FontMeasurer(const Fonts& fonts, QPaintDevice* device) : fonts(fonts), device(device) {}

    double Advance(std::string_view text, Ink ink) const override {
        return Metrics(ink).horizontalAdvance(ToQString(text));
    }
    double LineSpacing(Ink ink) const override { return Metrics(ink).lineSpacing(); }
    double Ascent(Ink ink) const override { return Metrics(ink).ascent(); }
    double Descent(Ink ink) const override { return Metrics(ink).descent(); }

    std::vector<std::string> Wrap(std::string_view text, Ink ink, double width) const override {
        QString whole = ToQString(text);
        std::vector<std::string> lines;
        QTextLayout layout(whole, fonts.For(ink), device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines.push_back(whole.mid(line.textStart(), line.textLength()).toStdString());
        }
        layout.endLayout();
        if (lines.empty()) {
            lines.emplace_back();
        }
        return lines;
    }

private:
    QFontMetricsF Metrics(Ink ink) const { return QFontMetricsF(fonts.For(ink), device); }

    const Fonts& fonts;
    QPaintDevice* device;
};

// Paints the plan's pages one after another: rules first, then boxes, then texts, so that
// the white "WARNING:" stands on its black box; each page's footer last.
void Paint(QPainter& painter, QPdfWriter& writer, const PrintPlan& plan, const Fonts& fonts,
           qreal unitsPerMm) {
    auto eachBlock = [](const PlanPage& page, auto paint) {
        for (const PlacedBlock& block : page.top) {
            paint(block);
        }
        for (const PlanColumn& column : page.columns) {
            for (const PlacedBlock& block : column.blocks) {
                paint(block);
            }
        }
    };
    auto paintRules = [&](const PlacedBlock& block) {
        for (const PlacedRule& rule : block.rules) {
            QPen pen(ColorFor(rule.ink), rule.lineMm * unitsPerMm);
            if (rule.dotted) {
                // Round dots a little apart, as a leader is printed.
                pen.setCapStyle(Qt::RoundCap);
                pen.setDashPattern({0.01, 3.5});
            }
            painter.setPen(pen);
            painter.drawLine(QLineF(rule.x1, rule.y1, rule.x2, rule.y2));
        }
    };
    auto paintBoxes = [&](const PlacedBlock& block) {
        for (const PlacedBox& box : block.boxes) {
            painter.setPen(box.filled ? QPen(Qt::NoPen) : QPen(Qt::black, box.lineMm * unitsPerMm));
            painter.setBrush(box.filled ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
            painter.drawRect(QRectF(box.left, box.top, box.width, box.height));
        }
        painter.setBrush(Qt::NoBrush);
    };
    auto paintTexts = [&](const PlacedBlock& block) {
        for (const PlacedText& text : block.texts) {
            painter.setFont(fonts.For(text.ink));
            painter.setPen(ColorFor(text.ink));
            painter.drawText(QPointF(text.x, text.baseline), ToQString(text.text));
        }
    };
    for (std::size_t i = 0; i < plan.pages.size(); ++i) {
        if (i > 0) {
            writer.newPage();
        }
        const PlanPage& page = plan.pages[i];
        eachBlock(page, paintRules);
        eachBlock(page, paintBoxes);
        eachBlock(page, paintTexts);
        paintRules(page.footer);
        paintTexts(page.footer);
    }
}

QtMessageHandler previousMessageHandler = nullptr;

// Qt's remarks about the session it runs in (no runtime folder, no display) mean nothing to
// someone printing a checklist; everything else goes on as before.
void QuietMessageHandler(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith("QStandardPaths:")) {
        return;
    }
    previousMessageHandler(type, context, message);
}

int PrintDocument(ChecklistDoc& doc, const PrintOptions& options, std::ostream& out,
                  std::ostream& err) {
    QString fileName = QFileInfo(QString::fromStdString(options.input)).fileName();
    // Drawn in memory and written out only when complete, so that a failed print never leaves
    // half a PDF behind.
    QByteArray pdf;
    QBuffer file(&pdf);
    file.open(QIODevice::WriteOnly);
    const Paper& paper = options.paper;
    QPdfWriter writer(&file);
    writer.setTitle(fileName);
    writer.setCreator(QStringLiteral("tarvasto ckl"));
    // The page size upright, turned by the orientation; the margins stand as the page lies.
    bool landscape = paper.size.widthMm > paper.size.heightMm;
    QSizeF upright(std::min(paper.size.widthMm, paper.size.heightMm),
                   std::max(paper.size.widthMm, paper.size.heightMm));
    const PaperMargins& margins = paper.margins;
    writer.setPageLayout(
        QPageLayout(QPageSize(upright, QPageSize::Millimeter),
                    landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(margins.leftMm, margins.topMm, margins.rightMm, margins.bottomMm),
                    QPageLayout::Millimeter));
    qreal unitsPerMm = writer.resolution() / 25.4;
    QSizeF area = writer.pageLayout().paintRectPixels(writer.resolution()).size();

    Fonts fonts(paper.type, options.fontPercent);
    FontMeasurer measurer(fonts, &writer);
    PrintPlan plan = LayOutDocument(doc, fileName.toStdString(), measurer,
                                    {area.width(), area.height(), unitsPerMm, options.columns},
                                    options.contents);

    QPainter painter;
    if (!painter.begin(&writer)) {
        err << "ckl: cannot write '" << LineRules::Displayed(options.output) << "'"
            << ": the PDF could not be started\n";
        return 1;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    Paint(painter, writer, plan, fonts, unitsPerMm);
    painter.end();
    return WriteOutput(options.output, std::string_view(pdf.constData(), pdf.size()), out, err) ? 0
                                                                                                : 1;
}

#endif

} // namespace

int RunPrint(const CommandLine& line, std::ostream& out, std::ostream& err) {
    std::variant<PrintOptions, std::string> read = OptionsOf(line);
    if (const std::string* complaint = std::get_if<std::string>(&read)) {
        return UsageError(err, "print: " + *complaint);
    }
    const PrintOptions& options = std::get<PrintOptions>(read);
#ifdef TARVASTO_HAVE_PRINT
    ChecklistDoc doc;
    if (!LoadDocument(doc, options.input, err)) {
        return 1;
    }
    // Fonts and painting need a graphical application; a command-line run has none, and no
    // display either, so it draws through the offscreen platform unless told otherwise.
    previousMessageHandler = qInstallMessageHandler(QuietMessageHandler);
    struct MessageHandlerRestorer {
        ~MessageHandlerRestorer() { qInstallMessageHandler(previousMessageHandler); }
    } restorer;
    std::unique_ptr<QGuiApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "ckl";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        err << "ckl: print needs a graphical application object\n";
        return 1;
    }
    return PrintDocument(doc, options, out, err);
#else
    static_cast<void>(out);
    err << "ckl: this ckl was built without printing\n";
    return 1;
#endif
}

} // namespace ckl
