#include "CWindow.h"

#include "TextConversion.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void SetWidgetText(QWidget* widget, const QString& text) {
    if (widget == nullptr) {
        return;
    }
    const QString shown = ReadBackText(text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(shown);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(shown);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(shown);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable()) {
            combo->setEditText(shown);
        } else if (const int index = combo->findText(shown, Qt::MatchExactly); index >= 0) {
            combo->setCurrentIndex(index);
        }
    } else if (widget->isWindow()) {
        widget->setWindowTitle(shown);
    } else {
        widget->setAccessibleName(shown);
    }
}

QString WidgetText(const QWidget* widget) {
    if (widget == nullptr) {
        return {};
    }
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        text = label->text();
    } else if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        text = edit->text();
    } else if (auto* button = qobject_cast<const QPushButton*>(widget)) {
        text = button->text();
    } else if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
        text = combo->currentText();
    } else if (widget->isWindow()) {
        text = widget->windowTitle();
    } else {
        text = widget->accessibleName();
    }
    return ReadBackText(text);
}

void CWindow::SetWindowText(const char* text) {
    SetWidgetText(widget, WidenText(text));
}

void CWindow::SetWindowText(const QString& text) {
    SetWidgetText(widget, text);
}

QString CWindow::GetWindowText() const {
    return WidgetText(widget);
}

int CWindow::GetWindowText(char* buffer, int capacity) const {
    return NarrowText(GetWindowText(), buffer, capacity);
}

void CWindow::EnableWindow(bool enable) {
    if (widget != nullptr) {
        widget->setEnabled(enable);
    }
}

void CWindow::SetFocus() {
    if (widget != nullptr) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

bool CWindow::Attach(QWidget* candidate) {
    if (candidate == nullptr) {
        return false;
    }
    widget = candidate;
    return true;
}
