#include "CAboutDlg.h"
#include "CApplication.h"
#include "ScopedModalHook.h"
#include "resource.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

TEST(AboutDlg, EveryWayOfClosingLeavesTheOwnerAsItWas) {
    struct Case {
        const char* name;
        std::function<void(CDialog&)> close;
        int expected;
    };
    const Case cases[] = {
        {"ok_button", [](CDialog& d) { d.GetDlgItem<QPushButton>(IDOK)->click(); }, IDOK},
        {"escape_key", [](CDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, IDCANCEL},
    };
    QWidget screen;
    screen.setWindowTitle("Orvantis CheckList");
    CApplication::SetMainWindow(&screen);
    for (const Case& row : cases) {
        CAboutDlg about;
        bool ownerDisabled = false;
        bool fullScreenOk = true;
        bool fixedSize = false;
        ScopedModalHook hook([&](CDialog& running) {
            ownerDisabled = !screen.isEnabled();
            fullScreenOk = running.GetFullScreenOkButton() != nullptr;
            fixedSize = running.minimumSize() == running.maximumSize();
            row.close(running);
        });
        EXPECT_EQ(about.DoModal(), row.expected) << row.name;
        EXPECT_TRUE(ownerDisabled) << row.name;
        EXPECT_TRUE(screen.isEnabled()) << row.name;
        EXPECT_EQ(screen.windowTitle(), "Orvantis CheckList") << row.name;
        EXPECT_FALSE(fullScreenOk) << row.name;
        EXPECT_TRUE(fixedSize) << row.name;
    }
    CApplication::SetMainWindow(nullptr);
}

TEST(AboutDlg, NameAndMakerLinesReadWhole) {
    CAboutDlg about;
    QStringList clipped;
    ScopedModalHook hook([&](CDialog& running) {
        for (const QLabel* label : running.findChildren<QLabel*>()) {
            if (label->sizeHint().width() > label->width()) {
                clipped << label->text();
            }
        }
        running.SendCommand(IDOK);
    });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_TRUE(clipped.isEmpty()) << clipped.join(", ").toStdString();
}

} // namespace
