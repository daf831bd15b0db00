// Reading a path-like string value from an open registry key.
#pragma once

#include "sysops/PathText.h"

#include <windows.h>

#include <string>

namespace sysops {

// The REG_SZ value `valueName` of `key`, read with a buffer of `bufferSize`
// bytes. False, with value emptied, when the value is missing, is not a
// string, or does not fit the buffer together with its terminator.
bool ReadStringValue(HKEY key, const char* valueName, std::string& value,
                     std::size_t bufferSize = kPathBufferSize);

}  // namespace sysops
