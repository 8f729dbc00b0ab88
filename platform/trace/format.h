// Readable renderings of arguments and results for the trace and for error messages:
// strings quoted, handles and flags in hexadecimal, messages by name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace velk::trace {

// "null" for a null pointer, else the text in double quotes (UTF-8).
std::string TraceString(const char16_t* s);
std::string TraceString(std::u16string_view s);
// "null" for 0, else 0x followed by upper-case hexadecimal digits.
std::string TraceHandle(std::uintptr_t value);
// 0x and upper-case hexadecimal digits, at least width of them ("0x0" for 0).
std::string TraceHex(std::uintptr_t value, int width = 0);
std::string TraceNum(long long value);
std::string TraceRect(const RECT& r);
// " -> TRUE" or " -> FALSE", for a result that follows the arguments.
std::string TraceResult(bool ok);
// WM_... for the messages the trace names, WM_USER+N, else the number.
std::string MessageName(UINT message);

}  // namespace velk::trace
