// A bounded wide printf with the Windows meaning of the string conversions
// on every platform: in a wide format %s takes a wide string and %S a
// narrow one (%hs is always narrow, %ls and %ws always wide; %c and %C
// likewise for characters).  %p prints the pointer as upper-case hex digits
// zero-padded to the pointer's width, as Windows does.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace Orv {

// Writes at most size - 1 characters and a terminator into buffer (size > 0).
// Returns the number of characters written, or -1 when the output was cut.
int FormatWideV(wchar_t* buffer, std::size_t size, const wchar_t* format, va_list args);
int FormatWide(wchar_t* buffer, std::size_t size, const wchar_t* format, ...);

}  // namespace Orv
