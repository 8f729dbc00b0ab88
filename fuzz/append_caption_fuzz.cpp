// The Find Window duplicate test and append. The test agrees with a reference reading
// of the list (entries as they stand between ";", the text after the last one included,
// an empty entry covering nothing). A capture adds a caption only when it is not
// covered; afterwards the caption is covered, and a second capture of it changes
// nothing. Excepted are the captions the list's own syntax cannot hold as a first
// entry: an empty one (it only closes the list with ";") and one that begins with ";".
// The append never loses what the list held.

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/find_window_mode.h"
#include "fuzz/fuzz_support.h"
#include "platform/strings.h"

namespace {

using velk::CString;
using velk::fuzz::Shown;

bool ReferenceCovered(const CString& caption, const CString& list) {
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(u';', start);
        if (end == CString::npos)
            end = list.size();
        const CString entry = list.substr(start, end - start);
        if (!entry.empty() && velk::FoldedBeginsWith(caption, entry))
            return true;
        start = end + 1;
    }
    return false;
}

// What a capture with OK does to the target list.
CString Capture(const CString& list, const CString& caption) {
    return velk::IsCaptionCovered(caption, list) ? list : velk::AppendCaption(list, caption);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte says how many code units of the rest are the caption.
    if (size == 0)
        return 0;
    const CString all = velk::fuzz::Utf16FromBytes(data + 1, size - 1);
    const std::size_t split = data[0] < all.size() ? data[0] : all.size();
    const CString caption = all.substr(0, split);
    const CString list = all.substr(split);
    // Only a failure needs the inputs spelt out.
    const auto shown = [&] { return "caption " + Shown(caption) + ", list " + Shown(list); };

    const bool covered = velk::IsCaptionCovered(caption, list);
    if (covered != ReferenceCovered(caption, list))
        velk::fuzz::Fail("the duplicate test reads the list's entries", shown());

    const CString appended = velk::AppendCaption(list, caption);
    CString kept = list;
    velk::TrimRight(kept);
    if (appended.compare(0, kept.size(), kept) != 0 || appended.size() < caption.size() ||
        appended.compare(appended.size() - caption.size(), caption.size(), caption) != 0)
        velk::fuzz::Fail("the append keeps the list and ends with the caption",
                         shown() + " gave " + Shown(appended));

    const CString once = Capture(list, caption);
    if (caption.empty() || caption[0] == u';')
        return 0;
    if (!velk::IsCaptionCovered(caption, once))
        velk::fuzz::Fail("after a capture the caption is covered",
                         shown() + " gave " + Shown(once));
    const CString twice = Capture(once, caption);
    if (twice != once)
        velk::fuzz::Fail("a second capture changes nothing",
                         shown() + " gave " + Shown(once) + ", then " + Shown(twice));
    return 0;
}
