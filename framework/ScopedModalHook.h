#pragma once

#include "CDialog.h"

#include <utility>

// Installs a modal hook (see CDialog::ModalHook) for the life of the object and removes it
// afterwards. Tests use it so that no real modal run ever blocks:
//
//     ScopedModalHook hook([](CDialog& dialog) {
//         if (dialog.GetTemplateId() == IDD_TEXTENTRY) {
//             dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT)->setText("Fuel");
//             dialog.SendCommand(IDOK);
//         } else {
//             dialog.SendCommand(IDCANCEL);
//         }
//     });
class ScopedModalHook {
public:
    explicit ScopedModalHook(CDialog::ModalHook hook) { CDialog::SetModalHook(std::move(hook)); }
    ~ScopedModalHook() { CDialog::SetModalHook(nullptr); }
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;
};
