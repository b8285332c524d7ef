#pragma once

#include "CWindow.h"

#include <QLineEdit>

// A one-line edit box.
class CEdit : public CControl<QLineEdit> {
public:
    // Limits the number of characters the user can type; 0 takes the limit away.
    void SetLimitText(int characters) {
        if (QLineEdit* edit = GetControl()) {
            edit->setMaxLength(characters > 0 ? characters : 32767);
        }
    }
};
