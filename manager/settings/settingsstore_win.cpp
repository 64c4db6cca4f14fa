// The stores as registry keys, where QSettings in its native format keeps the same names.
#include <windows.h>

#include "common/platform/wintext.h"
#include "manager/settings/settingsstore.h"

namespace {

class TRegistryStore : public ISettingsStore {
  public:
    TRegistryStore(HKEY root, std::wstring key) : root_(root), key_(std::move(key)) {}

    std::optional<std::string> ReadText(const std::string& name) const override {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root_, key_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return std::nullopt;
        const std::wstring value = WideFromUtf8(name);
        DWORD type = 0, size = 0;
        std::optional<std::string> text;
        if (::RegQueryValueExW(key, value.c_str(), nullptr, &type, nullptr, &size) ==
            ERROR_SUCCESS) {
            std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
            std::uint64_t number = 0;
            const bool isText = type == REG_SZ || type == REG_EXPAND_SZ;
            BYTE* into =
                isText ? reinterpret_cast<BYTE*>(data.data()) : reinterpret_cast<BYTE*>(&number);
            DWORD room = isText ? static_cast<DWORD>(data.size() * sizeof(wchar_t))
                                : static_cast<DWORD>(sizeof number);
            if (::RegQueryValueExW(key, value.c_str(), nullptr, &type, into, &room) ==
                ERROR_SUCCESS) {
                if (isText) {
                    data.resize(wcsnlen(data.c_str(), data.size()));
                    text = Utf8FromWide(data);
                } else if (type == REG_DWORD) {
                    text = std::to_string(static_cast<std::int32_t>(number));
                } else if (type == REG_QWORD) {
                    text = std::to_string(static_cast<std::int64_t>(number));
                }
            }
        }
        ::RegCloseKey(key);
        return text;
    }

    TStoreWriteResult WriteText(const std::string& name, const std::string& value) override {
        HKEY key = nullptr;
        const LSTATUS opened = ::RegCreateKeyExW(root_, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &key, nullptr);
        if (opened != ERROR_SUCCESS) return {TStoreWrite::Unavailable, {}};
        const std::wstring data = WideFromUtf8(value);
        const LSTATUS written = ::RegSetValueExW(
            key, WideFromUtf8(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
        if (written == ERROR_SUCCESS) return {TStoreWrite::Written, {}};
        if (written == ERROR_ACCESS_DENIED) return {TStoreWrite::Unavailable, {}};
        return {TStoreWrite::Failed, WindowsErrorText(static_cast<DWORD>(written))};
    }

  private:
    HKEY root_;
    std::wstring key_;
};

HKEY Root(const TStorePlace& place) {
    return place.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::wstring OrganizationKey(const TStorePlace& place) {
    return WideFromUtf8("Software\\" + place.organization);
}

}  // namespace

std::unique_ptr<ISettingsStore> MakeSettingsStore(const TStorePlace& place) {
    return std::make_unique<TRegistryStore>(
        Root(place), OrganizationKey(place) + L"\\" + WideFromUtf8(place.application));
}

void RemoveSettingsStore(const TStorePlace& place) {
    const std::wstring organization = OrganizationKey(place);
    ::RegDeleteKeyW(Root(place), (organization + L"\\" + WideFromUtf8(place.application)).c_str());
    // Refused while another store's key is left under it.
    ::RegDeleteKeyW(Root(place), organization.c_str());
}
