#include "apps/velk-sim/registry_view.h"

#include <cstdint>
#include <cstring>

#include "platform/strings.h"

namespace velk::simrun {

std::u16string RegistryView::SettingsKeyPath() const {
    return std::u16string(u"software\\") + kRegistryKeyWord + u"\\" +
           ApplicationNameFromPath(modulePath_) + u"\\" + kSettingsSection;
}

bool RegistryView::KeyExists(const std::u16string& path) const {
    return registry_.KeyExists(HKEY_CURRENT_USER, path);
}

std::string RegistryView::StoredSetting(const Setting& setting) const {
    auto value = registry_.GetValue(HKEY_CURRENT_USER, SettingsKeyPath(), setting.name);
    if (!value)
        return "absent";
    if (value->type == REG_DWORD && value->data.size() == 4) {
        std::int32_t n = 0;
        std::memcpy(&n, value->data.data(), 4);
        return std::to_string(n);
    }
    if (value->type == REG_SZ) {
        std::u16string text(value->data.size() / 2, u'\0');
        std::memcpy(text.data(), value->data.data(), text.size() * 2);
        if (!text.empty() && text.back() == u'\0')
            text.pop_back();
        return text.find(u'\0') == std::u16string::npos ? ToUtf8(text) : "(binary)";
    }
    return "(type " + std::to_string(value->type) + ")";
}

}  // namespace velk::simrun
