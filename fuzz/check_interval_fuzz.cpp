// The polling interval from the command line equals what the C library's wcstol makes
// of the trimmed text (base 10, clamped to the 32-bit range as the device's 32-bit long
// is), and 1500 for a blank one.

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>

#include "fuzz/fuzz_support.h"
#include "mainframe/switcher_app.h"
#include "platform/strings.h"

namespace {

long long Reference(const velk::CString& commandLine) {
    velk::CString text = commandLine;
    velk::Trim(text);
    if (text.empty())
        return 1500;
    // wchar_t is wider here: every code unit, lone surrogates included, stays itself.
    std::wstring wide(text.begin(), text.end());
    errno = 0;
    const long value = std::wcstol(wide.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The "C" locale: wcstol skips no white space beyond what the trim removed and
    // reads only ASCII digits.
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const velk::CString commandLine = velk::fuzz::Utf16FromBytes(data, size);
    const long long got = velk::CheckIntervalFromCommandLine(commandLine);
    const long long expected = Reference(commandLine);
    if (got != expected)
        velk::fuzz::Fail("the interval is wcstol's number of the trimmed command line",
                         velk::fuzz::Shown(commandLine) + " gave " + std::to_string(got) +
                             ", wcstol " + std::to_string(expected));
    return 0;
}
