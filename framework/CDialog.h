#pragma once

#include "CMenuBar.h"
#include "DialogUnits.h"
#include "MessageMap.h"

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <functional>
#include <vector>

class QEventLoop;
class QVBoxLayout;

// A dialog built from a dialog template of the program's resources.
//
// Life of a dialog: construct it (a local object of the command that runs it), set its inputs,
// call DoModal, read its outputs, let it go out of scope. DoModal
//  1. creates the template's controls as Qt widgets (push button QPushButton, static QLabel, edit
//     QLineEdit, tree QTreeWidget, drop-down list QComboBox) in template order, which is the tab
//     order, sized in dialog units (see DialogUnits), and an empty menu bar of the dialog's own;
//  2. disables the owner (the owner given to the constructor, else the main window; see
//     CApplication::SetMainWindow) until DoModal returns;
//  3. binds controls to members (DoDataExchange); when one cannot be bound, DoModal returns -1;
//  4. applies the full-screen presentation, unless the constructor switched it off (fullScreen);
//  5. calls OnInitDialog; the dialog is not shown yet;
//  6. shows the dialog and runs it until EndDialog, then hides it and returns EndDialog's result:
//     1 (IDOK) for OK, 2 (IDCANCEL) for Cancel, or whatever a handler passed. When a modal hook is
//     installed (SetModalHook), the hook receives the shown dialog instead of a real event loop.
//
// Commands (menu choices, button presses, a user's pick in a combo box) go through SendCommand to
// OnMessage, which a dialog overrides to route them through its message map (see MessageMap.h).
// A command that no entry takes does nothing, except IDOK and IDCANCEL, which call OnOK and
// OnCancel. The OK button, Enter on the default button and the full-screen OK button send IDOK;
// the Cancel button and Escape send IDCANCEL; the window's close button calls OnCloseRequest.
//
// Full-screen presentation (on unless the constructor sets fullScreen = false): the menu bar
// carries an "OK" button at its right end that sends IDOK; on a small screen (less than 800 by
// 600 available) the dialog fills the screen, on a desktop it opens at a comfortable size
// (ComfortableClientSize) that the user can change, and the controls follow the window as their
// template says (FollowAcross, FollowDown). A dialog without it keeps its template size.
class CDialog : public QDialog {
    Q_OBJECT

public:
    // A function that receives every dialog whose modal run starts, once OnInitDialog has run and
    // the dialog is shown. It may act on the controls and must end the dialog (SendCommand(IDOK),
    // SendCommand(IDCANCEL) or EndDialog); DoModal then returns that result without an event
    // loop. A dialog it leaves running returns -1. The same hook receives dialogs that its own
    // actions run (nested runs).
    using ModalHook = std::function<void(CDialog& dialog)>;

    explicit CDialog(int templateId, QWidget* owner = nullptr);
    ~CDialog() override;

    // Runs the dialog modally (see above). -1 when the template does not exist, a control cannot
    // be bound, or the dialog is already running.
    int DoModal();

    // Ends the modal run with result; DoModal returns it once the current handler has finished.
    void EndDialog(int result);

    // Sends the dialog a command exactly as a menu choice (code 0), a button (BN_CLICKED) or a
    // combo box (CBN_SELCHANGE) would.
    void SendCommand(int id, int code = 0);
    // Sends the dialog a control's notification.
    void SendNotification(int id, int code);

    int GetTemplateId() const { return templateId; }
    bool IsRunning() const { return running; }
    // Whether EndDialog has been called during the current run.
    bool HasEnded() const { return ended; }
    bool IsFullScreen() const { return fullScreen; }

    // The control with identifier id, or nullptr when the template has none (or DoModal has not
    // created the controls yet).
    QWidget* GetDlgItem(int id) const;
    template <class Widget> Widget* GetDlgItem(int id) const {
        return qobject_cast<Widget*>(GetDlgItem(id));
    }

    // The dialog's menu bar; empty until something is inserted.
    CMenuBar& GetMenuBar() { return menuBar; }
    // The full-screen presentation's OK button, or nullptr without that presentation.
    QPushButton* GetFullScreenOkButton() const { return fullScreenOk; }

    // The dialog's title: set from UTF-8 or 16-bit text, read back through a 1,024-character
    // buffer (see CWindow).
    void SetWindowText(const char* text);
    void SetWindowText(const QString& text);
    QString GetWindowText() const;
    int GetWindowText(char* buffer, int capacity) const;

    // Sets the window's icon. The desktop has one icon per window in several sizes; setting the
    // large and then the small icon leaves the last one set.
    void SetIcon(const QIcon& icon, bool bigIcon);

    // Centres the dialog over its owner, or on the screen when it has none. Does nothing to a
    // dialog that fills the screen.
    void CenterWindow();

    // Lets control id (a label) grow down to the height its text needs at its width, wrapping it
    // onto further lines, instead of cutting it off; the controls below it move down, and those
    // that fill the height down to the foot give up what it takes. Call once the controls exist.
    void SetGrowsWithText(int id);
    // Places the controls afresh, after a change that makes a growing control need more or less
    // room (its font, its text).
    void RelayoutControls();

    // The conversion from the template's dialog units to this dialog's pixels.
    const DialogUnits& GetDialogUnits() const { return units; }

    // Installs hook for every following modal run (see ModalHook); an empty hook removes it.
    static void SetModalHook(ModalHook hook);

protected:
    // The initialisation hook: the controls exist and are bound, the presentation is applied,
    // the dialog is not yet shown. Return true to put the focus on the first tab stop, false when
    // the handler placed the focus itself. The base does nothing and returns true; overrides call
    // it first.
    virtual bool OnInitDialog();
    // The OK hook: the OK button or the full-screen OK. The base ends the dialog with IDOK.
    virtual void OnOK();
    // The cancel path: Escape, the Cancel button, or a close request by default. The base ends
    // the dialog with IDCANCEL.
    virtual void OnCancel();
    // The window's close button or another close request from the desktop. The base calls
    // OnCancel; a dialog that must not lose work overrides it.
    virtual void OnCloseRequest();
    // Binds members to controls with BindControl. The base binds nothing.
    virtual void DoDataExchange();
    // Routes a message through the dialog's message map; true when an entry took it. The base
    // takes nothing.
    virtual bool OnMessage(const Message& message);

    // Binds control (a CWindow handle such as CEdit) to the template's control id. A missing
    // control or one of another kind makes DoModal end with -1 before OnInitDialog.
    template <class Handle> bool BindControl(int id, Handle& control) {
        if (control.Attach(GetDlgItem(id))) {
            return true;
        }
        ReportBindingFailure(id);
        return false;
    }

    // Whether the full-screen presentation is applied; set it in the constructor.
    bool fullScreen = true;

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public:
    // QDialog's own ways of ending go through the program's commands.
    void accept() override;
    void reject() override;

private:
    struct Control {
        int id;
        QWidget* widget;
        QRect rect; // in pixels, as the template places it
        FollowAcross followAcross;
        FollowDown followDown;
        bool growsWithText = false;
    };

    bool CreateFromTemplate();
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent);
    void ApplyPresentation();
    void LayoutControls();
    void FocusFirstTabStop();
    void OpenMenuBar();
    void ReportBindingFailure(int id);
    QWidget* ResolveOwner() const;

    friend class DialogClientArea;

    int templateId;
    QPointer<QWidget> owner;
    DialogUnits units{1, 1};
    QSize templateClientSize;
    int shareLeft = 0;
    int shareRight = 0;
    std::vector<Control> controls;
    QVBoxLayout* layout = nullptr;
    QWidget* clientArea = nullptr;
    CMenuBar menuBar;
    QPointer<QPushButton> fullScreenOk;
    QPointer<QPushButton> defaultButton;
    QEventLoop* eventLoop = nullptr;
    bool running = false;
    bool ended = false;
    bool bindingFailed = false;
    int modalResult = 0;
};
