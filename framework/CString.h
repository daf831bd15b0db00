// The framework's string: an ANSI text that converts to LPCSTR wherever the
// Win32 calls want one.
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(LPCSTR text) : text_(text != nullptr ? text : "") {}  // NOLINT: converts like the framework's

    CString& operator=(LPCSTR text)
    {
        text_.assign(text != nullptr ? text : "");
        return *this;
    }

    operator LPCSTR() const { return text_.c_str(); }  // NOLINT: converts like the framework's
    LPCSTR GetString() const { return text_.c_str(); }
    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }

    friend bool operator==(const CString& a, LPCSTR b) { return a.text_ == (b != nullptr ? b : ""); }

private:
    std::string text_;
};
