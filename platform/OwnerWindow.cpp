#include "OwnerWindow.h"

#include <QApplication>

QWidget* OwnerOrActiveWindow(QWidget* owner) {
    if (owner != nullptr) {
        return owner;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}
