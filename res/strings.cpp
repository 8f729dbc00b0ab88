// The string table. String 128 is the frame's: its first line is the window caption.

#include "platform/resources.h"
#include "res/resource_ids.h"

namespace velk {

namespace {

constexpr StringResource kStrings[] = {
    {IDR_MAINFRAME, u"Velk"},
};

}  // namespace

const char16_t* FindStringResource(UINT id) {
    for (const StringResource& s : kStrings)
        if (s.id == id)
            return s.text;
    return nullptr;
}

}  // namespace velk
