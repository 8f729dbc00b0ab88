// The `.reg` text format in which the simulated handheld keeps its registry, so that a
// user can read and edit it:
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
// "Name"=- a value, as in any hand-edited import file. UTF-8 (with or without BOM) and
// UTF-16LE with BOM are read; a file is written back in the encoding it was read in, so a
// regedit export stays one regedit reads, and a new file is UTF-8 without BOM.
//
// SimRegistry::ToRegText, LoadRegText, LoadFile and SaveFile are implemented with these.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/sim/registry.h"

namespace velk::sim {

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

RegEncoding DetectRegEncoding(std::string_view bytes);
// utf8Text (with "\n" line ends) as the bytes of a file in that encoding.
std::string EncodeRegText(std::string_view utf8Text, RegEncoding encoding);

// The file a save replaces: path itself, or where its chain of symbolic links ends, so
// that a link a dotfile manager made stays a link. Relative links resolve against the
// link's own folder; a loop or an overlong chain is an error (RegFileError).
std::string ResolveSaveTarget(const std::string& path);

// Removes temporary files that an interrupted save left beside target. A save holds a lock
// on its temporary file while it writes, so another copy's save in progress is left alone.
void RemoveAbandonedTemporaries(const std::string& target);

// Both trees as `.reg` text (UTF-8, "\n" line ends). Every key is written, also keys
// without values; texts that would not survive as a quoted string (odd size, no final
// null, embedded nulls, line breaks, unpaired surrogates) are written as hex(1):.
std::string FormatRegText(const RegTrees& trees);

// Parses a whole `.reg` text into fresh trees; throws RegFileError on the first fault.
// An empty text (no bytes at all) is an empty registry.
RegTrees ParseRegText(std::string_view text, const std::string& fileNameForErrors);

}  // namespace velk::sim
