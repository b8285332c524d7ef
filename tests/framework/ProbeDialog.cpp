#include "ProbeDialog.h"

#include <array>

bool CProbeDlg::OnMessage(const Message& message) {
    static constexpr auto messageMap = std::to_array<MessageMapEntry<CProbeDlg>>({
        {MessageKind::Command, 0, ID_EDIT_ADD_ITEM, &CProbeDlg::OnAddItem},
        {MessageKind::Command, BN_CLICKED, IDC_HOTBUTTON0, IDC_HOTBUTTON3, &CProbeDlg::OnHotButton},
        {MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST0, &CProbeDlg::OnRowList},
        {MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST2, &CProbeDlg::OnRowList},
        {MessageKind::Command, 0, ID_LISTS_FIRST, ID_LISTS_FIRST + 98, &CProbeDlg::OnListsEntry},
        {MessageKind::Notification, 7, IDC_TREE, &CProbeDlg::OnTreeNotification},
    });
    return RouteMessage(*this, messageMap, message);
}
