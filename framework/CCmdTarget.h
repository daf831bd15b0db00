// Message maps: a class lists the messages (and, for WM_COMMAND, the command
// ids) it handles in a table; tables chain to the base class's.
#pragma once

#include <windows.h>

#include <cstddef>

class CCmdTarget;

// One row: the message, the command id for WM_COMMAND rows (0 otherwise), and
// the member that handles it, reached through one of the Handle* adapters.
struct MessageMapEntry {
    UINT message;
    UINT commandId;
    LRESULT (*handler)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    std::size_t count;
};

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // This class's message map; the base class's has no rows.
    virtual const MessageMap* GetMessageMap() const;

    // Runs the handler of `message` (and `commandId`) if the map chain has
    // one; false when nobody here handles it.
    bool Dispatch(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// Adapters from a map row to a member of the class T that owns the map.
template <class T, void (T::*Handler)()>
LRESULT HandleVoid(CCmdTarget& target, WPARAM, LPARAM)
{
    (static_cast<T&>(target).*Handler)();
    return 0;
}

template <class T, void (T::*Handler)(WINDOWPOS*)>
LRESULT HandleWindowPos(CCmdTarget& target, WPARAM, LPARAM lParam)
{
    (static_cast<T&>(target).*Handler)(reinterpret_cast<WINDOWPOS*>(lParam));
    return 0;
}

template <class T, HCURSOR (T::*Handler)()>
LRESULT HandleCursor(CCmdTarget& target, WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>((static_cast<T&>(target).*Handler)());
}
