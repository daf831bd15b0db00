// Owners for the Win32 handles the program opens. Each type closes its
// handle exactly once; Reset() closes early where a caller needs the handle
// gone at a precise moment (before recursing, before returning a code).
#pragma once

#include <windows.h>

#include <utility>

namespace sysops {

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    T Get() const { return value_; }
    bool IsValid() const { return value_ != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // For out-parameters of the opening call; any previous handle is closed.
    T* Put()
    {
        Reset();
        return &value_;
    }

    T Release() { return std::exchange(value_, Traits::Invalid()); }

    // Closes now; returns what the close function returned (TRUE when nothing was open).
    auto Reset(T value = Traits::Invalid()) -> decltype(Traits::Close(value))
    {
        decltype(Traits::Close(value)) result{};
        if (value_ != Traits::Invalid())
            result = Traits::Close(value_);
        else
            result = Traits::NothingToClose();
        value_ = value;
        return result;
    }

private:
    T value_ = Traits::Invalid();
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static LONG Close(HKEY h) { return RegCloseKey(h); }
    static LONG NothingToClose() { return ERROR_SUCCESS; }
};

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE h) { return FindClose(h); }
    static BOOL NothingToClose() { return TRUE; }
};

// Files, folders opened with CreateFile and Toolhelp snapshots fail with
// INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE h) { return CloseHandle(h); }
    static BOOL NothingToClose() { return TRUE; }
};

// Process, thread and most kernel handles fail with null.
struct KernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static BOOL Close(HANDLE h) { return CloseHandle(h); }
    static BOOL NothingToClose() { return TRUE; }
};

struct LibraryTraits {
    static HMODULE Invalid() { return nullptr; }
    static BOOL Close(HMODULE h) { return FreeLibrary(h); }
    static BOOL NothingToClose() { return TRUE; }
};

struct ServiceTraits {
    static SC_HANDLE Invalid() { return nullptr; }
    static BOOL Close(SC_HANDLE h) { return CloseServiceHandle(h); }
    static BOOL NothingToClose() { return TRUE; }
};

using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueFindHandle = UniqueHandle<HANDLE, FindTraits>;
using UniqueSnapshot = UniqueHandle<HANDLE, FileTraits>;
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using UniqueLibrary = UniqueHandle<HMODULE, LibraryTraits>;
using UniqueServiceHandle = UniqueHandle<SC_HANDLE, ServiceTraits>;

}  // namespace sysops
