// The `.reg` text format in which a home keeps its registry (the simulated handheld,
// the Linux desktop's settings), so that a user can read and edit it:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\software\Velk\Velk\Settings]
//   "DefControl"=dword:00000001
//   "OnList"="#bBluetooth;"
//   @="the key's default value"
//   "Blob"=hex:01,02,03
//   "Odd"=hex(1):41,00,42
//
// Texts use the escapes \\ and \"; REG_BINARY is hex:, every other type hex(N): with N
// in hexadecimal, its bytes comma separated and continued on the next line after a
// final "\". Lines starting with ";" are comments. "[-KEY]" deletes a key and
// "Name"=- a value, as in any hand-edited import file. Files are written as UTF-8
// without BOM; UTF-8 with BOM and UTF-16LE with BOM are read as well.
//
// FileRegistry::ToRegText, LoadRegText, LoadFile and SaveFile are implemented with these.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/regfile/registry.h"

namespace velk::regfile {

// A `.reg` file that cannot be read, parsed or written. what() says what is wrong;
// line is the 1-based line of the fault, 0 when it concerns the whole file.
class RegFileError : public std::runtime_error {
  public:
    RegFileError(std::string file, int line, const std::string& message)
        : std::runtime_error(message), file(std::move(file)), line(line) {}

    std::string file;
    int line;
};

inline constexpr char kRegFileHeader[] = "Windows Registry Editor Version 5.00";

// Both trees as `.reg` text (UTF-8, "\n" line ends). Every key is written, also keys
// without values; texts that would not survive as a quoted string (odd size, no final
// null, embedded nulls, line breaks, unpaired surrogates) are written as hex(1):.
std::string FormatRegText(const RegTrees& trees);

// Parses a whole `.reg` text into fresh trees; throws RegFileError on the first fault.
// An empty text (no bytes at all) is an empty registry.
RegTrees ParseRegText(std::string_view text, const std::string& fileNameForErrors);

}  // namespace velk::regfile
