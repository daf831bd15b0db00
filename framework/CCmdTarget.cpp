#include "framework/CCmdTarget.h"

const MessageMap* CCmdTarget::GetMessageMap() const
{
    static const MessageMap kMap = {nullptr, nullptr, 0};
    return &kMap;
}

bool CCmdTarget::Dispatch(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const MessageMapEntry& entry = map->entries[i];
            if (entry.message == message && entry.commandId == commandId) {
                result = entry.handler(*this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}
