#include "CComboBox.h"

#include "TextConversion.h"

int CComboBox::AddString(const QString& text) {
    QComboBox* combo = GetControl();
    if (combo == nullptr) {
        return -1;
    }
    combo->addItem(ReadBackText(text));
    return combo->count() - 1;
}

int CComboBox::AddString(const char* text) {
    return AddString(WidenText(text));
}

int CComboBox::SetCurSel(int index) {
    QComboBox* combo = GetControl();
    if (combo == nullptr) {
        return -1;
    }
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return -1;
    }
    combo->setCurrentIndex(index);
    return index;
}

int CComboBox::GetCurSel() const {
    const QComboBox* combo = GetControl();
    return combo == nullptr ? -1 : combo->currentIndex();
}

int CComboBox::GetCount() const {
    const QComboBox* combo = GetControl();
    return combo == nullptr ? 0 : combo->count();
}

QString CComboBox::GetLBText(int index) const {
    const QComboBox* combo = GetControl();
    if (combo == nullptr || index < 0 || index >= combo->count()) {
        return {};
    }
    return combo->itemText(index);
}
