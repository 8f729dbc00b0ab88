// What the fuzz targets share: turning the fuzzer's bytes into the program's texts, and
// stopping with a readable account when a property does not hold (libFuzzer then keeps
// the input as a crash artifact).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace velk::fuzz {

// Pairs of bytes as little-endian UTF-16 code units; an odd last byte is dropped. Every
// code unit is possible, lone surrogates and nulls included.
inline std::u16string Utf16FromBytes(const std::uint8_t* data, std::size_t size) {
    std::u16string out;
    out.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        out.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return out;
}

// A UTF-16 text with everything outside printable ASCII written as \uXXXX.
inline std::string Shown(std::u16string_view s) {
    std::string out = "\"";
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out + "\"";
}

[[noreturn]] inline void Fail(const char* property, const std::string& detail) {
    std::fprintf(stderr, "\n*** property broken: %s\n%s\n", property, detail.c_str());
    std::abort();
}

}  // namespace velk::fuzz
