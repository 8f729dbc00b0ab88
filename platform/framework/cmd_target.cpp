#include "platform/framework/cmd_target.h"

namespace velk {

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const MessageMap map{nullptr, entries};
    return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const MessageMapEntry* CCmdTarget::FindMessageEntry(const MessageMap* map, UINT message, UINT code,
                                                    UINT id) {
    for (; map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* e = map->entries; e->message != 0; ++e) {
            if (e->message != message)
                continue;
            if (message == WM_COMMAND && (e->code != code || id < e->idFirst || id > e->idLast))
                continue;
            return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const MessageMapEntry* e = FindMessageEntry(GetMessageMap(), WM_COMMAND, code, id);
    if (e == nullptr)
        return 0;
    e->handler(*this, 0, 0);
    return 1;
}

}  // namespace velk
