#include "CDialog.h"

#include "CApplication.h"
#include "CTreeCtrl.h"
#include "CWindow.h"
#include "DialogTemplate.h"
#include "TextConversion.h"
#include "resource.h"

#include <QComboBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <memory>

// The area under the menu bar that holds the template's controls and places them whenever its
// size changes.
class DialogClientArea : public QWidget {
public:
    explicit DialogClientArea(CDialog* dialog) : QWidget(dialog), dialog(dialog) {}

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        dialog->LayoutControls();
    }

private:
    CDialog* dialog;
};

namespace {

// Kept behind a shared pointer so that a hook that replaces itself while it runs stays alive
// until it returns.
std::shared_ptr<CDialog::ModalHook> modalHook;

} // namespace

CDialog::CDialog(int templateId, QWidget* owner)
    : QDialog(nullptr), templateId(templateId), owner(owner) {
    layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, &CDialog::OpenMenuBar);
}

CDialog::~CDialog() = default;

void CDialog::SetModalHook(ModalHook hook) {
    modalHook = hook ? std::make_shared<ModalHook>(std::move(hook)) : nullptr;
}

bool CDialog::CreateFromTemplate() {
    const DialogTemplate* source = FindDialogTemplate(templateId);
    if (source == nullptr) {
        return false;
    }
    // A second run starts from fresh controls, as the first did.
    controls.clear();
    delete clientArea;
    if (QMenuBar* oldBar = menuBar.GetMenuBar()) {
        delete oldBar->parentWidget(); // the row that holds the bar
    }
    defaultButton = nullptr;

    setWindowTitle(QString::fromUtf8(source->title));
    units = DialogUnits::FromFont(font());
    templateClientSize = units.ToPixels(source->width, source->height);

    clientArea = new DialogClientArea(this);
    shareLeft = templateClientSize.width();
    shareRight = 0;
    QWidget* previous = nullptr;
    for (const ControlTemplate& control : source->controls) {
        QWidget* widget = CreateControl(control, clientArea);
        QRect rect = units.ToPixels(control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::ComboBox) {
            // The template's height includes the dropped-down list; closed, the box is one line.
            rect.setHeight(widget->sizeHint().height());
        }
        widget->setGeometry(rect);
        shareLeft = std::min(shareLeft, rect.left());
        shareRight = std::max(shareRight, rect.left() + rect.width());
        controls.push_back(
            {control.id, widget, rect, control.followAcross, control.followDown, false});
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }

    // Created after the controls, so that the focus chain runs through the controls first. The
    // bar sits in a row of its own, where the full-screen OK button joins it at the right end as
    // an ordinary child of the dialog, so that assistive tools list and press it like any other
    // button (a menu bar's corner widget is hidden from them).
    auto* barRow = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(barRow);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    auto* bar = new QMenuBar(barRow);
    bar->setNativeMenuBar(false);
    bar->hide();
    rowLayout->addWidget(bar, 1);
    rowLayout->addStretch(0);
    menuBar = CMenuBar(bar, [this](int commandId) { SendCommand(commandId); });
    layout->setMenuBar(barRow);
    layout->addWidget(clientArea);
    return true;
}

QWidget* CDialog::CreateControl(const ControlTemplate& control, QWidget* parent) {
    const QString text = QString::fromUtf8(control.text);
    const Qt::FocusPolicy focus = (control.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
    const int id = control.id;
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, parent);
        // Enter presses the template's default button only, never whichever button Qt would
        // pick on its own (see keyPressEvent).
        button->setAutoDefault(false);
        if (control.style & BS_DEFPUSHBUTTON) {
            button->setDefault(true);
            defaultButton = button;
        }
        connect(button, &QPushButton::clicked, this, [this, id] { SendCommand(id, BN_CLICKED); });
        widget = button;
        break;
    }
    case ControlKind::Static: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        widget = label;
        break;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, parent);
        edit->setFrame((control.style & WS_BORDER) != 0);
        widget = edit;
        break;
    }
    case ControlKind::Tree: {
        auto* tree = new CTreeWidget(parent);
        tree->setColumnCount(1);
        tree->setHeaderHidden(true);
        tree->setRootIsDecorated((control.style & TVS_LINESATROOT) != 0);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setUniformRowHeights(true);
        tree->setFrameShape((control.style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
        // Long items scroll sideways rather than being cut short, as on the handheld.
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        widget = tree;
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable((control.style & CBS_DROPDOWNLIST) != CBS_DROPDOWNLIST);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(1);
        // Only a user's pick is a selection change; setCurrentIndex from code sends nothing.
        connect(combo, &QComboBox::activated, this, [this, id] { SendCommand(id, CBN_SELCHANGE); });
        widget = combo;
        break;
    }
    }
    widget->setFocusPolicy(control.kind == ControlKind::Static ? Qt::NoFocus : focus);
    widget->setProperty("controlId", id);
    widget->setProperty("templateStyle", control.style);
    return widget;
}

void CDialog::ApplyPresentation() {
    if (!fullScreen) {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
        clientArea->setFixedSize(templateClientSize);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        menuBar.UpdateVisibility();
        return;
    }
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    clientArea->setMinimumSize(templateClientSize);

    auto* ok = new QPushButton(tr("OK"));
    ok->setAutoDefault(false);
    ok->setFocusPolicy(Qt::TabFocus);
    connect(ok, &QPushButton::clicked, this, [this] { SendCommand(IDOK); });
    QWidget* barRow = menuBar.GetMenuBar()->parentWidget();
    ok->setParent(barRow);
    barRow->layout()->addWidget(ok);
    fullScreenOk = ok;
    menuBar.UpdateVisibility();

    const QWidget* ownerWindow = ResolveOwner();
    const QScreen* screen = ownerWindow != nullptr ? ownerWindow->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect available =
        screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int barHeight = menuBar.GetMenuBar()->parentWidget()->sizeHint().height();
    if (IsSmallScreen(available.size())) {
        setGeometry(available);
        setWindowState(Qt::WindowMaximized);
        return;
    }
    const bool growsDown = std::any_of(controls.begin(), controls.end(), [](const Control& c) {
        return c.followDown != FollowDown::Top;
    });
    const QSize client = ComfortableClientSize(templateClientSize, available.size(), growsDown);
    resize(client.width(), client.height() + barHeight);
    QRect frame(QPoint(), size());
    frame.moveCenter(available.center());
    move(frame.topLeft());
}

void CDialog::LayoutControls() {
    if (clientArea == nullptr) {
        return;
    }
    const QSize actual = clientArea->size();
    std::vector<QRect> places;
    places.reserve(controls.size());
    for (const Control& control : controls) {
        places.push_back(FollowRect(control.rect, templateClientSize, actual, control.followAcross,
                                    control.followDown, shareLeft, shareRight));
    }
    // A control that grows with its text takes the height its text needs; what lies below it
    // moves down, and what fills the height down to the foot gives up that much.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (!controls[i].growsWithText) {
            continue;
        }
        QWidget* widget = controls[i].widget;
        const int needed = widget->hasHeightForWidth() ? widget->heightForWidth(places[i].width())
                                                       : widget->sizeHint().height();
        const int extra = needed - places[i].height();
        if (extra <= 0) {
            continue;
        }
        places[i].setHeight(needed);
        for (std::size_t j = 0; j < controls.size(); ++j) {
            if (j == i || controls[j].rect.top() <= controls[i].rect.bottom() ||
                controls[j].followDown == FollowDown::Bottom) {
                continue;
            }
            const bool fills = controls[j].followDown == FollowDown::Fill;
            places[j].setTop(places[j].top() + extra);
            if (!fills) {
                places[j].setBottom(places[j].bottom() + extra);
            }
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        controls[i].widget->setGeometry(places[i]);
    }
}

void CDialog::SetGrowsWithText(int id) {
    for (Control& control : controls) {
        if (control.id == id) {
            control.growsWithText = true;
            if (auto* label = qobject_cast<QLabel*>(control.widget)) {
                label->setWordWrap(true);
            }
        }
    }
    LayoutControls();
}

void CDialog::RelayoutControls() {
    LayoutControls();
}

QWidget* CDialog::ResolveOwner() const {
    QWidget* chosen = owner != nullptr ? owner.data() : CApplication::MainWindow();
    if (chosen == nullptr) {
        return nullptr;
    }
    chosen = chosen->window();
    return chosen == this ? nullptr : chosen;
}

int CDialog::DoModal() {
    if (running || !CreateFromTemplate()) {
        return -1;
    }
    running = true;
    ended = false;
    bindingFailed = false;
    modalResult = 0;

    const QPointer<QWidget> ownerWindow = ResolveOwner();
    const bool ownerWasEnabled = ownerWindow != nullptr && ownerWindow->isEnabled();
    if (ownerWindow != nullptr) {
        ownerWindow->setEnabled(false);
    }

    DoDataExchange();
    if (bindingFailed) {
        modalResult = -1;
    } else {
        ApplyPresentation();
        const bool focusFirst = OnInitDialog();
        if (!ended) {
            if (ownerWindow != nullptr && ownerWindow->windowHandle() != nullptr) {
                winId();
                windowHandle()->setTransientParent(ownerWindow->windowHandle());
            }
            const std::shared_ptr<ModalHook> hook = modalHook;
            if (hook == nullptr) {
                setWindowModality(Qt::ApplicationModal);
            }
            show();
            if (focusFirst) {
                FocusFirstTabStop();
            }
            if (hook != nullptr) {
                (*hook)(*this);
                if (!ended) {
                    qWarning("CDialog: the modal hook left dialog %d running", templateId);
                    ended = true;
                    modalResult = -1;
                }
            } else {
                raise();
                activateWindow();
                QEventLoop loop;
                eventLoop = &loop;
                if (!ended) {
                    loop.exec(QEventLoop::DialogExec);
                }
                eventLoop = nullptr;
            }
        }
    }

    hide();
    running = false;
    if (ownerWindow != nullptr) {
        ownerWindow->setEnabled(ownerWasEnabled);
        if (ownerWindow->isVisible()) {
            ownerWindow->activateWindow();
        }
    }
    return modalResult;
}

void CDialog::EndDialog(int result) {
    modalResult = result;
    ended = true;
    if (eventLoop != nullptr) {
        eventLoop->exit(result);
    }
}

void CDialog::SendCommand(int id, int code) {
    if (OnMessage(Message{MessageKind::Command, code, id})) {
        return;
    }
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
    } else if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
    }
}

void CDialog::SendNotification(int id, int code) {
    OnMessage(Message{MessageKind::Notification, code, id});
}

QWidget* CDialog::GetDlgItem(int id) const {
    if (id == IDC_STATIC) {
        return nullptr;
    }
    for (const Control& control : controls) {
        if (control.id == id) {
            return control.widget;
        }
    }
    return nullptr;
}

void CDialog::SetWindowText(const char* text) {
    setWindowTitle(WidenText(text));
}

void CDialog::SetWindowText(const QString& text) {
    setWindowTitle(ReadBackText(text));
}

QString CDialog::GetWindowText() const {
    return ReadBackText(windowTitle());
}

int CDialog::GetWindowText(char* buffer, int capacity) const {
    return NarrowText(GetWindowText(), buffer, capacity);
}

void CDialog::SetIcon(const QIcon& icon, bool /*bigIcon*/) {
    setWindowIcon(icon);
}

void CDialog::CenterWindow() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        return;
    }
    QRect area;
    if (const QWidget* ownerWindow = ResolveOwner();
        ownerWindow != nullptr && ownerWindow->isVisible()) {
        area = ownerWindow->frameGeometry();
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    } else {
        return;
    }
    QRect frame(QPoint(), size());
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

bool CDialog::OnInitDialog() {
    return true;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnCloseRequest() {
    OnCancel();
}

void CDialog::DoDataExchange() {}

bool CDialog::OnMessage(const Message& /*message*/) {
    return false;
}

void CDialog::ReportBindingFailure(int id) {
    qWarning("CDialog: dialog %d has no control %d of the kind its member needs", templateId, id);
    bindingFailed = true;
}

void CDialog::FocusFirstTabStop() {
    for (const Control& control : controls) {
        QWidget* widget = control.widget;
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() &&
            widget->isVisibleTo(this)) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void CDialog::OpenMenuBar() {
    QMenuBar* bar = menuBar.GetMenuBar();
    if (bar == nullptr || !bar->isVisible()) {
        return;
    }
    for (QAction* action : bar->actions()) {
        if (action->isVisible() && action->isEnabled()) {
            bar->setActiveAction(action);
            return;
        }
    }
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            SendCommand(IDCANCEL);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // A focused push button takes Enter itself; otherwise the template's default button.
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget());
            focused != nullptr && focused->window() == this && focused->isEnabled()) {
            focused->click();
            return;
        }
        if (defaultButton != nullptr && defaultButton->isVisible() && defaultButton->isEnabled()) {
            defaultButton->click();
        }
        return;
    }
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void CDialog::closeEvent(QCloseEvent* event) {
    if (!running) {
        event->accept();
        return;
    }
    // The dialog decides: it ends itself through EndDialog, or stays open.
    event->ignore();
    OnCloseRequest();
}

void CDialog::accept() {
    SendCommand(IDOK);
}

void CDialog::reject() {
    SendCommand(IDCANCEL);
}
