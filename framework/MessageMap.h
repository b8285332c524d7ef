#pragma once

#include <array>
#include <cstddef>
#include <span>

// Commands and notifications reach a dialog as a Message and are routed to its handlers through
// the dialog class's message map.
//
//  Command       a menu choice, a push button or another control reporting through a command
//                (code 0 for a menu choice; BN_CLICKED for a button; CBN_SELCHANGE for a combo
//                box whose selection the user changed);
//  Notification  a control's notification that is not a command (code and identifier as sent).
enum class MessageKind { Command, Notification };

inline constexpr int BN_CLICKED = 0;    // a push button was pressed
inline constexpr int CBN_SELCHANGE = 1; // the user picked an entry of a combo box

struct Message {
    MessageKind kind;
    int code;
    int id;
};

// One entry of a class's message map: messages of this kind and code whose identifier lies in
// firstId..lastId go to the handler. A handler either takes no argument or takes the identifier
// (for a range, or for several controls sharing one handler).
//
// A dialog writes its map in its .cpp, next to its handlers, and routes to it from OnMessage:
//
//     bool CExampleDlg::OnMessage(const Message& message)
//     {
//         static constexpr auto messageMap = std::to_array<MessageMapEntry<CExampleDlg>>({
//             {MessageKind::Command, 0, ID_EDIT_ADD_ITEM, &CExampleDlg::OnAddItem},
//             {MessageKind::Command, BN_CLICKED, IDC_HOTBUTTON0, IDC_HOTBUTTON3,
//              &CExampleDlg::OnHotButton},                     // void OnHotButton(int id)
//             {MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST1, &CExampleDlg::OnRowList},
//         });
//         return RouteMessage(*this, messageMap, message);
//     }
//
// The first matching entry wins; a message without an entry does nothing.
template <class Dialog> struct MessageMapEntry {
    using Handler = void (Dialog::*)();
    using IdHandler = void (Dialog::*)(int id);

    constexpr MessageMapEntry(MessageKind kind, int code, int id, Handler handler)
        : kind(kind), code(code), firstId(id), lastId(id), handler(handler) {}
    constexpr MessageMapEntry(MessageKind kind, int code, int id, IdHandler handler)
        : kind(kind), code(code), firstId(id), lastId(id), idHandler(handler) {}
    constexpr MessageMapEntry(MessageKind kind, int code, int firstId, int lastId,
                              IdHandler handler)
        : kind(kind), code(code), firstId(firstId), lastId(lastId), idHandler(handler) {}

    constexpr bool Matches(const Message& message) const {
        return message.kind == kind && message.code == code && message.id >= firstId &&
               message.id <= lastId;
    }

    MessageKind kind;
    int code;
    int firstId;
    int lastId;
    Handler handler = nullptr;
    IdHandler idHandler = nullptr;
};

// Calls the handler of the first entry of messageMap that matches message on dialog. Returns
// whether an entry matched.
template <class Dialog>
bool RouteMessage(Dialog& dialog, std::span<const MessageMapEntry<Dialog>> messageMap,
                  const Message& message) {
    for (const auto& entry : messageMap) {
        if (!entry.Matches(message)) {
            continue;
        }
        if (entry.handler != nullptr) {
            (dialog.*entry.handler)();
        } else if (entry.idHandler != nullptr) {
            (dialog.*entry.idHandler)(message.id);
        }
        return true;
    }
    return false;
}

template <class Dialog, std::size_t size>
bool RouteMessage(Dialog& dialog, const std::array<MessageMapEntry<Dialog>, size>& messageMap,
                  const Message& message) {
    return RouteMessage(dialog, std::span<const MessageMapEntry<Dialog>>(messageMap), message);
}
