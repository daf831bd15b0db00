// Reading a path-like string value from an open registry key.
#pragma once

#include "sysops/PathText.h"

#include "sysops/Registry.h"

#include <windows.h>

#include <string>

namespace sysops {

// The REG_SZ value `valueName` of `key`, read with a buffer of `bufferSize`
// bytes. False, with value emptied, when the value is missing, is not a
// string, or does not fit the buffer together with its terminator.
bool ReadStringValue(HKEY key, const char* valueName, std::string& value,
                     std::size_t bufferSize = kPathBufferSize);

// The same for a value of HKLM\subKey, opened for reading in the view that
// `view` selects (view bits as from ViewBits). False also when the key does
// not open.
bool ReadStringValue(const char* subKey, const char* valueName, RegistryView view, std::string& value);

}  // namespace sysops
