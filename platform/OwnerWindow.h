#pragma once

class QWidget;

// The window a message box or file dialog belongs to: owner when given, otherwise the modal
// dialog or window the user is looking at.
QWidget* OwnerOrActiveWindow(QWidget* owner);
