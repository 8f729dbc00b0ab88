#include "platform/registry.h"

namespace velk {

std::vector<BYTE> RegSzData(std::u16string_view text) {
    std::vector<BYTE> data;
    data.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

CString RegSzText(const BYTE* data, DWORD size) {
    CString text;
    if (!data)
        return text;
    text.reserve(size / 2);
    for (DWORD i = 0; i + 1 < size; i += 2) {
        const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

}  // namespace velk
