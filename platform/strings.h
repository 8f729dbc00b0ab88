// The string operations every layer shares: the one case fold used by every caption
// comparison, and white-space trimming with the wide-character classification.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace velk {

// Folds one UTF-16 code unit to its simple lower-case mapping in the Unicode Character
// Database; code units without one (surrogates included) stay as they are. The same table serves
// both homes, so matching is identical on the device, on Windows and in the simulator.
char16_t FoldChar(char16_t c);

// Folds a whole string in place.
void Fold(CString& s);
// A folded copy.
CString Folded(std::u16string_view s);

// Comparisons without regard to letter case, over the one fold.
bool FoldedEquals(std::u16string_view a, std::u16string_view b);
bool FoldedBeginsWith(std::u16string_view s, std::u16string_view prefix);

// 1 when a and b differ in any code unit (length included), 0 when identical.
BYTE StringsDiffer(const CString& a, const CString& b);

// What the wide-character classification counts as space.
bool IsSpace(char16_t c);

void TrimLeft(CString& s);
void TrimRight(CString& s);
inline void Trim(CString& s) {
    TrimLeft(s);
    TrimRight(s);
}

// Copies text into a caller's buffer of capacity characters, as the platform's calls do:
// at most capacity - 1 characters and a terminator. Returns the count copied; with no
// buffer or no room nothing is written and 0 returned.
INT CopyTruncated(std::u16string_view text, char16_t* buf, long long capacity);

// Renderings for traces and error messages: a text in double quotes (UTF-8); a handle
// as "null" or 0x and upper-case hexadecimal digits.
std::string QuotedUtf8(std::u16string_view s);
std::string HandleText(std::uintptr_t value);

// UTF-8 renderings for files, traces and messages. Unpaired surrogates become U+FFFD
// on the way out; malformed UTF-8 becomes U+FFFD on the way in.
std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);

}  // namespace velk
