// The list compile: every entry it makes is non-empty, folded and free of ";", and the
// entries are exactly the list's pieces in their order (a reference split written here
// from the rules, not from the code), each on its radio. Writing the compiled entries
// back with their radio prefixes and compiling again gives the same lists.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/rule_lists.h"
#include "fuzz/fuzz_support.h"
#include "platform/strings.h"

namespace {

using velk::CString;
using velk::CStringArray;
using velk::INT;

std::string Shown(const CStringArray& list) {
    std::string out = "{";
    for (const CString& e : list)
        out += ' ' + velk::fuzz::Shown(e);
    return out + " }";
}

// Folded and trimmed as a whole; pieces between ";" (the text after the last one
// included); "#b"/"#w" at the start of a piece chooses the radio and goes; empty
// pieces go; the others follow defControl, where only 1 means WiFi.
void ReferenceCompile(const CString& list, INT defControl, CStringArray& bt, CStringArray& wf) {
    CString text = velk::Folded(list);
    velk::Trim(text);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u';', start);
        if (end == CString::npos)
            end = text.size();
        CString piece = text.substr(start, end - start);
        start = end + 1;
        bool wifi = defControl == velk::kRadioWiFi;
        if (piece.size() >= 2 && piece[0] == u'#' && (piece[1] == u'b' || piece[1] == u'w')) {
            wifi = piece[1] == u'w';
            piece.erase(0, 2);
        }
        if (!piece.empty())
            (wifi ? wf : bt).push_back(piece);
    }
}

void CheckEntries(const CStringArray& entries, const CString& list) {
    for (const CString& e : entries) {
        if (e.empty())
            velk::fuzz::Fail("every entry is non-empty", velk::fuzz::Shown(list));
        if (e.find(u';') != CString::npos)
            velk::fuzz::Fail("no entry holds a \";\"", velk::fuzz::Shown(e));
        if (velk::Folded(e) != e)
            velk::fuzz::Fail("every entry is folded", velk::fuzz::Shown(e));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The stored "Control:" setting may hold any number; 0 and 1 are the usual ones.
    const INT defControl = static_cast<signed char>(data[0]) % 3;
    const CString list = velk::fuzz::Utf16FromBytes(data + 1, size - 1);

    CStringArray bt{u"stale"}, wf{u"stale"};
    velk::CompileList(list, defControl, bt, wf);
    CheckEntries(bt, list);
    CheckEntries(wf, list);

    CStringArray refBt, refWf;
    ReferenceCompile(list, defControl, refBt, refWf);
    if (bt != refBt || wf != refWf)
        velk::fuzz::Fail("the entries are the list's pieces in order, each on its radio",
                         "list " + velk::fuzz::Shown(list) + "\nBluetooth " + Shown(bt) +
                             ", expected " + Shown(refBt) + "\nWiFi " + Shown(wf) + ", expected " +
                             Shown(refWf));

    CString rewritten;
    for (const CString& e : bt)
        rewritten += u"#b" + e + u";";
    for (const CString& e : wf)
        rewritten += u"#w" + e + u";";
    CStringArray bt2, wf2;
    velk::CompileList(rewritten, 1 - defControl, bt2, wf2);
    if (bt2 != bt || wf2 != wf)
        velk::fuzz::Fail("compiling the compiled entries again gives the same lists",
                         velk::fuzz::Shown(rewritten));
    return 0;
}
