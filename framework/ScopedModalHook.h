#pragma once

#include "CDialog.h"

#include <utility>

// Installs a modal hook (see CDialog::ModalHook) for the life of the object and then puts back
// the one it replaced. Tests use it so that no real modal run ever blocks:
//
//     ScopedModalHook hook([](CDialog& dialog) {
//         if (dialog.GetTemplateId() == IDD_TEXTENTRY) {
//             dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT)->setText("Fuel");
//             dialog.SendCommand(IDOK);
//         } else {
//             dialog.SendCommand(IDCANCEL);
//         }
//     });
//
// Hooks nest: the newest one answers, and when it ends (in reverse order of their start, as
// scopes do) the one before it answers again, with whatever state it had gathered. An empty hook
// lets modal runs be real while it lives.
class ScopedModalHook {
public:
    explicit ScopedModalHook(CDialog::ModalHook hook) : hook(std::move(hook)), previous(newest) {
        newest = this;
        Install(this);
    }
    ~ScopedModalHook() {
        newest = previous;
        Install(previous);
    }
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;

private:
    // Hands the modal runs to scope's hook, which stays the one object that runs (a copy would
    // lose what the hook counts or queues meanwhile); no scope, or an empty hook, installs none.
    static void Install(ScopedModalHook* scope) {
        if (scope == nullptr || !scope->hook) {
            CDialog::SetModalHook(nullptr);
        } else {
            CDialog::SetModalHook([scope](CDialog& dialog) { scope->hook(dialog); });
        }
    }

    CDialog::ModalHook hook;
    ScopedModalHook* previous;
    static inline ScopedModalHook* newest = nullptr;
};
