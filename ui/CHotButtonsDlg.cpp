#include "CHotButtonsDlg.h"

#include "ChecklistDoc.h"
#include "LineRules.h"
#include "MessageBox.h"
#include "TextConversion.h"
#include "TextRules.h"
#include "resource.h"

#include <QLabel>

namespace {

constexpr std::array<int, CHotButtonsDlg::rowCount> rowListIds{IDC_ROWLIST0, IDC_ROWLIST1,
                                                               IDC_ROWLIST2, IDC_ROWLIST3};

} // namespace

CHotButtonsDlg::CHotButtonsDlg() : CDialog(IDD_HOTBUTTONS) {}

CHotButtonsDlg::~CHotButtonsDlg() = default;

bool CHotButtonsDlg::OnMessage(const Message& message) {
    static constexpr auto messageMap = std::to_array<MessageMapEntry<CHotButtonsDlg>>({
        {MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST0, &CHotButtonsDlg::OnRowListPicked},
        {MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST1, &CHotButtonsDlg::OnRowListPicked},
        {MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST2, &CHotButtonsDlg::OnRowListPicked},
        {MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST3, &CHotButtonsDlg::OnRowListPicked},
    });
    return RouteMessage(*this, messageMap, message);
}

void CHotButtonsDlg::DoDataExchange() {
    CDialog::DoDataExchange();
    BindControl(IDC_ROWCAPTION3, captionBox3);
    BindControl(IDC_ROWCAPTION2, captionBox2);
    BindControl(IDC_ROWCAPTION1, captionBox1);
    BindControl(IDC_ROWCAPTION0, captionBox0);
    BindControl(IDC_ROWLIST3, rowList3);
    BindControl(IDC_ROWLIST2, rowList2);
    BindControl(IDC_ROWLIST1, rowList1);
    BindControl(IDC_ROWLIST0, rowList0);
}

bool CHotButtonsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    rowCaptions = {&captionBox0, &captionBox1, &captionBox2, &captionBox3};
    rowLists = {&rowList0, &rowList1, &rowList2, &rowList3};
    for (CEdit* caption : rowCaptions) {
        LimitToOneLine(caption->GetControl());
    }
    DescribeRows();
    if (document == nullptr) {
        EndDialog(-1);
        return true;
    }
    FillRows(*document);
    return true;
}

void CHotButtonsDlg::FillRows(ChecklistDoc& source) {
    for (CComboBox* list : rowLists) {
        list->AddString("(none)");
    }
    for (const Checklist& checklist : source.Checklists()) {
        const QString name = WidenText(checklist.name);
        for (CComboBox* list : rowLists) {
            list->AddString(name);
        }
    }
    for (int row = 0; row < rowCount; ++row) {
        const HotButtonSlot* slot = source.SlotAt(row);
        if (slot == nullptr) {
            continue;
        }
        rowCaptions[row]->SetWindowText(slot->caption);
        // A checklist no longer in the document gives -1 + 1, "(none)".
        const int entry =
            slot->checklist == nullptr ? 0 : source.IndexOfChecklist(slot->checklist) + 1;
        rowLists[row]->SetCurSel(entry);
    }
}

void CHotButtonsDlg::OnRowListPicked(int listId) {
    for (int row = 0; row < rowCount; ++row) {
        if (rowListIds[row] == listId) {
            OnRowListChanged(row);
        }
    }
}

void CHotButtonsDlg::OnRowListChanged(int row) {
    rowCaptions[row]->SetWindowText(rowLists[row]->GetWindowText());
}

int CHotButtonsDlg::FirstUnstorableRow() const {
    for (int row = 0; row < rowCount; ++row) {
        char caption[textBufferSize];
        rowCaptions[row]->GetWindowText(caption, textBufferSize);
        if (!LineRules::IsStorableLine(caption)) {
            return row;
        }
    }
    return -1;
}

void CHotButtonsDlg::OnOK() {
    if (const int row = FirstUnstorableRow(); row >= 0) {
        MessageBox(this,
                   QStringLiteral("A caption that begins with [ and contains ] cannot be stored "
                                  "in a checklist file."),
                   QStringLiteral("Error"), MB_OK);
        // Back to the caption to mend, all of it selected so that typing replaces it.
        rowCaptions[row]->SetFocus();
        rowCaptions[row]->GetControl()->selectAll();
        return;
    }
    ApplyRows(*document);
    CDialog::OnOK();
}

void CHotButtonsDlg::ApplyRows(ChecklistDoc& target) {
    for (int row = 0; row < rowCount; ++row) {
        char caption[textBufferSize];
        rowCaptions[row]->GetWindowText(caption, textBufferSize);
        const int entry = rowLists[row]->GetCurSel();
        // Entry 0 is "(none)"; no selection at all counts the same.
        Checklist* checklist = entry <= 0 ? nullptr : target.ChecklistAt(entry - 1);
        target.SetSlot(row, caption, checklist);
    }
}

void CHotButtonsDlg::DescribeRows() {
    // The labels have no identifiers; in template order the n-th "Caption:" and the n-th
    // "CheckList:" belong to row n.
    int captionRow = 0;
    int listRow = 0;
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->text() == QLatin1String("Caption:") && captionRow < rowCount) {
            label->setBuddy(rowCaptions[captionRow++]->GetControl());
        } else if (label->text() == QLatin1String("CheckList:") && listRow < rowCount) {
            label->setBuddy(rowLists[listRow++]->GetControl());
        }
    }
    for (int row = 0; row < rowCount; ++row) {
        const QString button = QStringLiteral("Hot button %1").arg(row + 1);
        rowCaptions[row]->GetControl()->setAccessibleDescription(button);
        rowLists[row]->GetControl()->setAccessibleDescription(button);
    }
}
