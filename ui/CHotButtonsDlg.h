#pragma once

#include "CComboBox.h"
#include "CDialog.h"
#include "CEdit.h"

#include <array>

class ChecklistDoc;

// The dialog that assigns the four hot buttons: per row a caption box and a drop-down list of
// "(none)" and every checklist by position. OK writes all four rows into document's slots;
// Cancel changes nothing. Set document before DoModal.
//
// OK refuses, with a message and the dialog left open and no slot changed, a caption that begins
// with "[" and contains "]", which the file could not store. Each caption box takes one line of
// at most 1,023 bytes of UTF-8.
class CHotButtonsDlg : public CDialog {
    Q_OBJECT

public:
    static constexpr int rowCount = 4;

    CHotButtonsDlg();
    ~CHotButtonsDlg() override;

protected:
    void DoDataExchange() override;
    // Fills the rows from document; a dialog without a document ends at once with -1.
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnMessage(const Message& message) override;

private:
    // Fills every list with "(none)" and then every checklist of document by position, and each
    // row with its slot's own caption and its checklist selected. Selecting here is no user's
    // pick: the captions stay as the slots have them.
    void FillRows(ChecklistDoc& document);
    // Writes every row into the slot of its index: the caption as shown, and the checklist at
    // the chosen entry's position, or none for "(none)".
    void ApplyRows(ChecklistDoc& document);
    // Replaces the row's caption with the text of the entry now chosen in its list.
    void OnRowListChanged(int row);
    // The user picked an entry of the list with identifier listId.
    void OnRowListPicked(int listId);
    // Names each caption box and list after its label for screen readers, with its row.
    void DescribeRows();
    // The first row whose caption the file could not store, or -1.
    int FirstUnstorableRow() const;

    CEdit captionBox3;
    CEdit captionBox2;
    CEdit captionBox1;
    CEdit captionBox0;
    CComboBox rowList3;
    CComboBox rowList2;
    CComboBox rowList1;
    CComboBox rowList0;

public:
    ChecklistDoc* document = nullptr; // not owned

private:
    std::array<CEdit*, rowCount> rowCaptions{};
    std::array<CComboBox*, rowCount> rowLists{};
};
