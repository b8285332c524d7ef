#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// A handle on a window or control that a dialog binds to a member by identifier (see
// CDialog::BindControl). It does not own the widget: the dialog does. All operations on an
// unbound handle do nothing and read back empty.
class CWindow {
public:
    CWindow() = default;
    virtual ~CWindow() = default;

    QWidget* GetWidget() const { return widget; }
    bool IsBound() const { return widget != nullptr; }

    // Sets the window's text from UTF-8 (through a 1,024-character buffer: at most 1,023
    // characters are shown). For a dialog it is the title; for a drop-down list it selects the
    // entry of that text when there is one.
    void SetWindowText(const char* text);
    void SetWindowText(const QString& text);

    // The window's text (a drop-down list's is the text of its selected entry), as read back
    // through a 1,024-character buffer: at most 1,023 characters.
    QString GetWindowText() const;

    // Reads the window's text as GetWindowText and writes it as UTF-8 into buffer: at most
    // capacity - 1 bytes, cut at a character boundary, then a terminating zero byte. Returns the
    // number of bytes before the terminator.
    int GetWindowText(char* buffer, int capacity) const;

    void EnableWindow(bool enable);
    void SetFocus();

    // Binds the handle to widget; false (and left unbound) when the widget is not of the kind
    // this handle works on.
    virtual bool Attach(QWidget* widget);

protected:
    QPointer<QWidget> widget;
};

// Sets or reads the text of any window the framework creates, as CWindow does.
void SetWidgetText(QWidget* widget, const QString& text);
QString WidgetText(const QWidget* widget);

// A handle on a control of one widget type.
template <class Widget> class CControl : public CWindow {
public:
    Widget* GetControl() const { return static_cast<Widget*>(widget.data()); }

    bool Attach(QWidget* candidate) override {
        if (qobject_cast<Widget*>(candidate) == nullptr) {
            return false;
        }
        return CWindow::Attach(candidate);
    }
};
