#pragma once

// A dialog for the framework's tests: it records what reaches it, in order.
#include "CDialog.h"
#include "CEdit.h"
#include "CTreeCtrl.h"
#include "resource.h"

#include <string>
#include <vector>

class CProbeDlg : public CDialog {
public:
    explicit CProbeDlg(int templateId, bool presentFullScreen = true) : CDialog(templateId) {
        fullScreen = presentFullScreen;
    }

    std::vector<std::string> log;
    bool bindTreeAsEdit = false;  // binds the tree to an edit handle: a failed binding
    bool keepOpenOnClose = false; // the window's close button does not end the dialog
    bool endDuringInit = false;   // EndDialog(5) from the initialisation hook
    bool treeBoundAtInit = false;
    bool visibleAtInit = true;
    CTreeCtrl tree;
    CEdit wrongKind;

protected:
    void DoDataExchange() override {
        if (bindTreeAsEdit) {
            BindControl(IDC_TREE, wrongKind);
        } else if (GetTemplateId() == IDD_CHECKLIST) {
            BindControl(IDC_TREE, tree);
        }
    }

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        log.push_back("init");
        treeBoundAtInit = tree.IsBound();
        visibleAtInit = isVisible();
        if (endDuringInit) {
            EndDialog(5);
        }
        return true;
    }

    void OnCloseRequest() override {
        log.push_back("close-request");
        if (!keepOpenOnClose) {
            CDialog::OnCloseRequest();
        }
    }

    void OnOK() override {
        log.push_back("ok");
        CDialog::OnOK();
    }

    void OnCancel() override {
        log.push_back("cancel");
        CDialog::OnCancel();
    }

    bool OnMessage(const Message& message) override;

private:
    void OnAddItem() { log.push_back("add-item"); }
    void OnHotButton(int id) { log.push_back("hot-button " + std::to_string(id)); }
    void OnRowList(int id) { log.push_back("row-list " + std::to_string(id)); }
    void OnListsEntry(int id) { log.push_back("lists-entry " + std::to_string(id)); }
    void OnTreeNotification() { log.push_back("tree-notification"); }
};
