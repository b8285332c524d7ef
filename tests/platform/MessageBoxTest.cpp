#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using StandardButtons = std::vector<QMessageBox::StandardButton>;

std::vector<QMessageBox::StandardButton> ButtonsOf(const QMessageBox& box) {
    std::vector<QMessageBox::StandardButton> buttons;
    for (QAbstractButton* button : box.buttons()) {
        buttons.push_back(box.standardButton(button));
    }
    std::sort(buttons.begin(), buttons.end());
    return buttons;
}

TEST(MessageBoxHookTest, AnswersInOrderAndRecordsTheExactTexts) {
    MessageBoxHook hook;
    hook.PushAnswer(IDYES);
    hook.PushAnswer(IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Save changes to current checklist ?", "Confirm", MB_YESNOCANCEL),
              IDYES);
    EXPECT_EQ(MessageBox(nullptr, "No checklist selected", "Error", MB_OK), IDCANCEL);
    ASSERT_EQ(hook.Shown().size(), 2u);
    EXPECT_EQ(hook.Shown()[0].text, "Save changes to current checklist ?");
    EXPECT_EQ(hook.Shown()[0].caption, "Confirm");
    EXPECT_EQ(hook.Shown()[0].type, MB_YESNOCANCEL);
    EXPECT_EQ(hook.Shown()[1].caption, "Error");
    EXPECT_EQ(hook.Shown()[1].answer, IDCANCEL);
    EXPECT_EQ(hook.UnusedAnswers(), 0u);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);
}

TEST(MessageBoxHookTest, CallWithoutAnAnswerFailsInsteadOfBlocking) {
    MessageBoxHook hook;
    EXPECT_EQ(MessageBox(nullptr, "Delete?", "Confirm", MB_YESNO),
              MessageBoxHook::unscriptedAnswer);
    ASSERT_EQ(hook.Shown().size(), 1u);
    EXPECT_EQ(hook.Shown()[0].answer, MessageBoxHook::unscriptedAnswer);
    for (int answer : {IDOK, IDCANCEL, IDYES, IDNO}) {
        EXPECT_NE(MessageBoxHook::unscriptedAnswer, answer);
    }
}

struct BoxRow {
    const char* name;
    int type;
    StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};

class MessageBoxButtonsTest : public testing::TestWithParam<BoxRow> {};

TEST_P(MessageBoxButtonsTest, BoxHasTheButtonsOfItsType) {
    const BoxRow& row = GetParam();
    QWidget owner;
    const auto box = BuildMessageBox(&owner, "<b>Checklist</b> & more", "Confirm", row.type);
    EXPECT_EQ(ButtonsOf(*box), row.buttons);
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->standardButton(box->defaultButton()), row.defaultButton);
    ASSERT_NE(box->escapeButton(), nullptr);
    EXPECT_EQ(box->standardButton(box->escapeButton()), row.escapeButton);
    for (QAbstractButton* button : box->buttons()) {
        EXPECT_FALSE(button->text().isEmpty());
    }
    EXPECT_EQ(box->windowTitle(), "Confirm");
    EXPECT_EQ(box->text(), "<b>Checklist</b> & more");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->parentWidget(), &owner);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
}

INSTANTIATE_TEST_SUITE_P(
    Types, MessageBoxButtonsTest,
    testing::Values(
        BoxRow{"Ok", MB_OK, {QMessageBox::Ok}, QMessageBox::Ok, QMessageBox::Ok},
        BoxRow{"YesNo",
               MB_YESNO,
               {QMessageBox::Yes, QMessageBox::No},
               QMessageBox::Yes,
               QMessageBox::No},
        BoxRow{"YesNoCancel",
               MB_YESNOCANCEL,
               {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
               QMessageBox::Yes,
               QMessageBox::Cancel},
        BoxRow{"UnknownTypeShowsOk", 99, {QMessageBox::Ok}, QMessageBox::Ok, QMessageBox::Ok}),
    [](const testing::TestParamInfo<BoxRow>& info) { return info.param.name; });

// Acts on the message box once its modal run has begun. Whatever happens, the box is closed,
// so that a failing test cannot block.
void WhenTheBoxIsShown(std::function<void(QMessageBox&)> act) {
    QMetaObject::invokeMethod(
        qApp,
        [act] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                ADD_FAILURE() << "no message box is running";
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* other = qobject_cast<QMessageBox*>(widget)) {
                        other->done(QMessageBox::Ok);
                    }
                }
                return;
            }
            QPointer<QMessageBox> guard(box);
            act(*box);
            if (guard && guard->isVisible()) {
                ADD_FAILURE() << "the box is still open";
                guard->done(QMessageBox::Ok);
            }
        },
        Qt::QueuedConnection);
}

struct ChoiceRow {
    const char* name;
    int type;
    QMessageBox::StandardButton clicked; // NoButton: the Escape key
    int result;
};

class MessageBoxChoiceTest : public testing::TestWithParam<ChoiceRow> {};

TEST_P(MessageBoxChoiceTest, ChosenButtonIsTheResult) {
    const ChoiceRow& row = GetParam();
    QWidget owner;
    owner.show();
    bool ownerBlocked = false;
    WhenTheBoxIsShown([&](QMessageBox& box) {
        ownerBlocked = box.parentWidget() == &owner && box.isModal() &&
                       QApplication::activeModalWidget() == &box;
        if (row.clicked == QMessageBox::NoButton) {
            QTest::keyClick(&box, Qt::Key_Escape);
        } else {
            QTest::mouseClick(box.button(row.clicked), Qt::LeftButton);
        }
    });
    EXPECT_EQ(MessageBox(&owner, "Question", "Confirm", row.type), row.result);
    EXPECT_TRUE(ownerBlocked);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, MessageBoxChoiceTest,
    testing::Values(ChoiceRow{"OkClicked", MB_OK, QMessageBox::Ok, IDOK},
                    ChoiceRow{"OkEscaped", MB_OK, QMessageBox::NoButton, IDOK},
                    ChoiceRow{"YesClicked", MB_YESNO, QMessageBox::Yes, IDYES},
                    ChoiceRow{"NoClicked", MB_YESNO, QMessageBox::No, IDNO},
                    ChoiceRow{"YesNoEscaped", MB_YESNO, QMessageBox::NoButton, IDNO},
                    ChoiceRow{"YesOfThree", MB_YESNOCANCEL, QMessageBox::Yes, IDYES},
                    ChoiceRow{"NoOfThree", MB_YESNOCANCEL, QMessageBox::No, IDNO},
                    ChoiceRow{"CancelOfThree", MB_YESNOCANCEL, QMessageBox::Cancel, IDCANCEL},
                    ChoiceRow{"ThreeEscaped", MB_YESNOCANCEL, QMessageBox::NoButton, IDCANCEL}),
    [](const testing::TestParamInfo<ChoiceRow>& info) { return info.param.name; });

TEST(MessageBoxOwnerTest, BoxWithoutOwnerBelongsToTheActiveWindow) {
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    const auto box = BuildMessageBox(nullptr, "text", "Error", MB_OK);
    EXPECT_EQ(box->parentWidget(), &window);
}

} // namespace
