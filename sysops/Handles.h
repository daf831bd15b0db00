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

// How one kind of handle is closed, and what it is when nothing was opened:
// files opened with CreateFile, finds and Toolhelp snapshots fail with
// INVALID_HANDLE_VALUE, registry keys, processes, libraries and services
// with null.
enum class Fails { WithNull, WithInvalidValue };

template <typename T, typename R, R(WINAPI* close)(T), Fails fails, R nothingToClose>
struct ClosedBy {
    static T Invalid() { return fails == Fails::WithNull ? T{} : reinterpret_cast<T>(INVALID_HANDLE_VALUE); }
    static R Close(T h) { return close(h); }
    static R NothingToClose() { return nothingToClose; }
};

template <typename T, BOOL(WINAPI* close)(T), Fails fails>
using ClosedByCall = ClosedBy<T, BOOL, close, fails, TRUE>;

using UniqueRegKey = UniqueHandle<HKEY, ClosedBy<HKEY, LONG, RegCloseKey, Fails::WithNull, ERROR_SUCCESS>>;
using UniqueFindHandle = UniqueHandle<HANDLE, ClosedByCall<HANDLE, FindClose, Fails::WithInvalidValue>>;
using UniqueFile = UniqueHandle<HANDLE, ClosedByCall<HANDLE, CloseHandle, Fails::WithInvalidValue>>;
using UniqueSnapshot = UniqueFile;
using UniqueKernelHandle = UniqueHandle<HANDLE, ClosedByCall<HANDLE, CloseHandle, Fails::WithNull>>;
using UniqueLibrary = UniqueHandle<HMODULE, ClosedByCall<HMODULE, FreeLibrary, Fails::WithNull>>;
using UniqueServiceHandle = UniqueHandle<SC_HANDLE, ClosedByCall<SC_HANDLE, CloseServiceHandle, Fails::WithNull>>;

}  // namespace sysops
