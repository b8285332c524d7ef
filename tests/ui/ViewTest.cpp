// The View menu: night colours, text size and Read Aloud, driven by the menu's commands and
// keys, with a recording speaker in place of a speech engine.
#include "ItemDelegate.h"
#include "ScreenColours.h"
#include "Speaker.h"
#include "UiTestSupport.h"

#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTreeWidget>

namespace {

const char flightFile[] =
    "[$$CHECKLIST]\nPreflight\nFUEL ..... ON\nNOTE: Check the drains\n[$$END]\n"
    "[$$CHECKLIST]\nTaxi\nBRAKES ..... CHECK\n[$$END]\n";

class ViewTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        StoreRememberedFile(WriteFile(TempPath("flight.ckl"), flightFile).c_str());
    }
    void TearDown() override {
        CChecklistDlg::SetSpeakerFactory({});
        QApplication::setPalette(ScreenColours::DayPalette());
        UiTest::TearDown();
    }
};

// Says nothing; notes what it was asked to say, one line a Say, parts joined by " | ".
class NotingSpeaker : public Speaker {
public:
    explicit NotingSpeaker(QStringList& said) : said(said) {}
    void Say(const QStringList& parts) override { said << parts.join(QStringLiteral(" | ")); }
    void Stop() override { said << QStringLiteral("(stop)"); }

private:
    QStringList& said;
};

void Press(CChecklistDlg& screen, int key, Qt::KeyboardModifiers modifiers) {
    QApplication::setActiveWindow(&screen);
    screen.Tree().GetControl()->setFocus();
    QTest::keyClick(screen.Tree().GetControl(), Qt::Key(key), modifiers);
}

// The mean brightness of what the screen shows, from 0 (black) to 1 (white).
double MeanBrightness(QWidget& widget) {
    const QImage shot = widget.grab().toImage();
    double sum = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            sum += ScreenColours::Luminance(shot.pixelColor(x, y));
        }
    }
    return sum / (shot.width() * shot.height());
}

// View comes after Go; its entries with their keys, "[ ]" for a check entry.
TEST_F(ViewTest, ViewFollowsGoWithItsEntriesAndKeys) {
    RunScreen([](CChecklistDlg& screen) {
        CMenuBar& bar = screen.GetMenuBar();
        ASSERT_EQ(bar.ButtonCount(), 6);
        EXPECT_EQ(bar.GetButtonText(4), "Go");
        EXPECT_EQ(bar.GetButtonText(5), "View");
        screen.RebuildListsMenu();
        EXPECT_EQ(screen.ListsButtonPosition(), 3);
        QStringList entries;
        for (QAction* entry : bar.GetButtonMenu(5)->actions()) {
            QStringList keys;
            for (const QKeySequence& key : entry->shortcuts()) {
                keys << key.toString();
            }
            entries << (entry->isSeparator()
                            ? QStringLiteral("-")
                            : entry->text() + (entry->isCheckable() ? " [ ]" : "") + " " +
                                  keys.join(", "));
        }
        EXPECT_EQ(entries.join('|'),
                  "Night Colours [ ] |-|Larger Text Ctrl++, Ctrl+=|Smaller Text Ctrl+-|"
                  "Normal Text Size Ctrl+0|-|Read Aloud [ ] ");
    });
}

// Night colours darken the screen and every dialog at once, and are remembered; day comes back
// as it was.
TEST_F(ViewTest, NightColoursDarkenEverythingAtOnceAndAreRemembered) {
    const QColor dayWindow = QApplication::palette().color(QPalette::Window);
    double dayBrightness = 0;
    RunScreen(
        [&](CChecklistDlg& screen) {
            dayBrightness = MeanBrightness(screen);
            Choose(screen, ID_VIEW_NIGHT_COLOURS);
            EXPECT_TRUE(Entry(screen, ID_VIEW_NIGHT_COLOURS)->isChecked());
            Tick(screen, 0);
            EXPECT_LT(MeanBrightness(screen), 0.2);
            Choose(screen, ID_HELP_ABOUT);
        },
        {[](CDialog& about) {
            EXPECT_TRUE(ScreenColours::IsDark(about.palette()));
            about.SendCommand(IDOK);
        }});
    EXPECT_GT(dayBrightness, 0.5);
    EXPECT_TRUE(ReadRememberedSwitch(nightColoursSwitch, false));
    RunScreen([&](CChecklistDlg& screen) {
        EXPECT_TRUE(screen.ShowsNightColours());
        EXPECT_LT(MeanBrightness(screen), 0.2);
        Choose(screen, ID_VIEW_NIGHT_COLOURS);
        EXPECT_EQ(QApplication::palette().color(QPalette::Window), dayWindow);
    });
    EXPECT_FALSE(ReadRememberedSwitch(nightColoursSwitch, true));
}

// The text grows and shrinks in steps of 25% between 75% and 300%, by menu and keys, with the
// check boxes; the name's label grows with its font and the tree gives up that room; the size
// is remembered.
TEST_F(ViewTest, TextSizeStepsWithinItsBoundsAndIsRemembered) {
    RunScreen([](CChecklistDlg& screen) {
        QTreeWidget* tree = screen.Tree().GetControl();
        QWidget* label = screen.GetDlgItem(IDC_LISTNAME);
        const QRect labelAtNormal = label->geometry();
        // At the normal size the name keeps the place its template gives it.
        EXPECT_EQ(labelAtNormal.height(), screen.GetDialogUnits().ToPixelsY(8));
        EXPECT_EQ(tree->geometry().top(), screen.GetDlgItem(IDC_LISTNAME)->geometry().top() +
                                              screen.GetDialogUnits().ToPixelsY(8));
        const QRect treeAtNormal = tree->geometry();
        const QRect buttonAtNormal = screen.GetDlgItem(IDC_HOTBUTTON0)->geometry();
        const double normalPoints = tree->font().pointSizeF();
        const int normalBox = tree->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, tree);
        for (int step = 0; step < 12; ++step) {
            Press(screen, Qt::Key_Plus, Qt::ControlModifier);
        }
        EXPECT_EQ(screen.TextSize(), 300);
        {
            // The ticked box at 300% is the sharpest image, pixel for pixel, not one blown up.
            QImage drawn(48, 48, QImage::Format_RGB32);
            drawn.fill(Qt::red);
            QPainter painter(&drawn);
            QStyleOptionViewItem option;
            option.rect = QRect(0, 0, 48, 48);
            option.state = QStyle::State_On;
            option.palette = ScreenColours::DayPalette();
            tree->style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &option, &painter,
                                         tree);
            painter.end();
            QImage sharpest = QPixmap(QStringLiteral(":/tarvasto/bitmaps/checkstates@3x.png"))
                                  .copy(96, 0, 48, 48)
                                  .toImage()
                                  .convertToFormat(drawn.format());
            sharpest.setDevicePixelRatio(1);
            EXPECT_EQ(drawn, sharpest);
        }
        EXPECT_FALSE(Entry(screen, ID_VIEW_LARGER_TEXT)->isEnabled());
        EXPECT_DOUBLE_EQ(tree->font().pointSizeF(), 3 * normalPoints);
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 3 * normalPoints);
        EXPECT_EQ(tree->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, tree),
                  3 * normalBox);
        EXPECT_GE(label->height(), QFontMetrics(label->font()).height());
        EXPECT_EQ(tree->geometry().top() - treeAtNormal.top(),
                  label->geometry().bottom() - labelAtNormal.bottom());
        EXPECT_EQ(tree->geometry().bottom(), treeAtNormal.bottom());
        EXPECT_EQ(screen.GetDlgItem(IDC_HOTBUTTON0)->geometry(), buttonAtNormal);

        Press(screen, Qt::Key_0, Qt::ControlModifier);
        EXPECT_EQ(screen.TextSize(), 100);
        EXPECT_EQ(label->geometry(), labelAtNormal);
        EXPECT_EQ(tree->geometry(), treeAtNormal);
        for (int step = 0; step < 3; ++step) {
            Press(screen, Qt::Key_Minus, Qt::ControlModifier);
        }
        EXPECT_EQ(screen.TextSize(), 75);
        EXPECT_FALSE(Entry(screen, ID_VIEW_SMALLER_TEXT)->isEnabled());
        Press(screen, Qt::Key_Equal, Qt::ControlModifier);
        Choose(screen, ID_VIEW_LARGER_TEXT);
        EXPECT_EQ(screen.TextSize(), 125);
    });
    RunScreen([](CChecklistDlg& screen) { EXPECT_EQ(screen.TextSize(), 125); });
}

// At the largest text on a phone held upright, every item and the name wrap within the screen.
TEST_F(ViewTest, LargestTextOnAPhoneCutsNothingOff) {
    StoreRememberedFile(
        WriteFile(TempPath("long.ckl"),
                  "[$$CHECKLIST]\nBefore take-off in a strong crosswind on a short strip\n"
                  "FLIGHT CONTROLS FREE AND CORRECT ..... FULL AND FREE MOVEMENT\n"
                  "CAUTION: Do not take off with frost on the wings\n[$$END]\n")
            .c_str());
    StoreRememberedNumber(textSizeNumber, 300);
    RunScreen([](CChecklistDlg& screen) {
        screen.resize(720, 1440);
        QApplication::sendPostedEvents();
        QTreeWidget* tree = screen.Tree().GetControl();
        auto* label = screen.GetDlgItem<QLabel>(IDC_LISTNAME);
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        EXPECT_GT(label->height(), 2 * QFontMetrics(label->font()).height() - 2); // wrapped
        for (int row = 0; row < screen.Tree().GetCount(); ++row) {
            const QRect place = tree->visualItemRect(screen.Tree().GetItem(row));
            // Its height was measured for the width it is drawn in.
            QStyleOptionViewItem option;
            option.widget = tree;
            EXPECT_EQ(ItemDelegate::RowWidth(option, tree->model()->index(row, 0)), place.width());
            EXPECT_LE(place.right(), tree->viewport()->width()) << row;
            EXPECT_GT(place.height(), 2 * QFontMetrics(tree->font()).height()) << row;
        }
    });
}

// Read Aloud speaks the list's name when a list is shown, each item as it becomes current, and
// the end of a list with the next one's name; off, it says nothing more.
TEST_F(ViewTest, ReadAloudSpeaksWhatComesIntoView) {
    QStringList said;
    CChecklistDlg::SetSpeakerFactory(
        [&said](QString&) { return std::make_unique<NotingSpeaker>(said); });
    RunScreen([&said](CChecklistDlg& screen) {
        EXPECT_TRUE(said.isEmpty()); // nothing until it is switched on
        Choose(screen, ID_VIEW_READ_ALOUD);
        EXPECT_TRUE(Entry(screen, ID_VIEW_READ_ALOUD)->isChecked());
        Select(screen, 0);
        Press(screen, Qt::Key_Space, Qt::NoModifier);
        Press(screen, Qt::Key_Space, Qt::NoModifier);
        Choose(screen, ID_GO_NEXT);
        Choose(screen, ID_VIEW_READ_ALOUD);
        PressHotButton(screen, 0);
        Select(screen, 0);
    });
    EXPECT_EQ(said.join('\n'), "Preflight\n"
                               "FUEL | ON\n"
                               "note | Check the drains\n"
                               "Checklist complete | Next checklist | Taxi\n"
                               "Taxi\n"
                               "(stop)");
    EXPECT_TRUE(ReadRememberedSwitch(readAloudSwitch, true) == false);
}

// Without a speech engine the entry is greyed and says why; nothing else happens at start.
TEST_F(ViewTest, WithoutASpeechEngineReadAloudIsGreyedAndSaysWhy) {
    StoreRememberedSwitch(readAloudSwitch, true);
    CChecklistDlg::SetSpeakerFactory([](QString& whyNot) {
        whyNot = QStringLiteral("No speech engine is installed");
        return std::unique_ptr<Speaker>();
    });
    MessageBoxHook boxes;
    RunScreen([](CChecklistDlg& screen) {
        QAction* entry = Entry(screen, ID_VIEW_READ_ALOUD);
        EXPECT_FALSE(screen.ReadsAloud());
        EXPECT_FALSE(entry->isEnabled());
        EXPECT_FALSE(entry->isChecked());
        EXPECT_EQ(entry->statusTip(), "No speech engine is installed");
    });
    EXPECT_TRUE(boxes.Shown().empty());
}

} // namespace
