// String values of the registry: read with a bound and a type check, written, deleted.
#include <vector>

#include "platform/win32/registry.h"

namespace zep::win32 {

namespace {

class Key {
public:
    Key() = default;
    ~Key() {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace

std::optional<std::wstring> RegistryStringData(DWORD type, const BYTE* data, DWORD bytes) {
    if (type != REG_SZ || bytes % sizeof(wchar_t) != 0) {
        return std::nullopt;
    }
    std::wstring text(reinterpret_cast<const wchar_t*>(data), bytes / sizeof(wchar_t));
    // The stored terminator is not part of the text; data stored without one still are.
    const auto end = text.find(L'\0');
    if (end != std::wstring::npos) {
        text.resize(end);
    }
    return text;
}

std::optional<std::wstring> ReadRegistryText(HKEY root, const std::wstring& key,
                                             const std::wstring& value, std::size_t maxChars) {
    Key opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, opened.out()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // One character more than allowed, so that a value without a terminator still fits and a
    // value that is too long is seen as such rather than cut.
    std::vector<BYTE> data((maxChars + 1) * sizeof(wchar_t));
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(data.size());
    if (RegQueryValueExW(opened.get(), value.c_str(), nullptr, &type, data.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;  // missing, or longer than the buffer (ERROR_MORE_DATA)
    }
    auto text = RegistryStringData(type, data.data(), bytes);
    if (!text || text->size() + 1 > maxChars) {
        return std::nullopt;
    }
    return text;
}

LONG WriteRegistryText(HKEY root, const std::wstring& key, const std::wstring& value,
                       const std::wstring& text, bool createKey) {
    Key opened;
    const LONG opening = createKey
                             ? RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                               nullptr, opened.out(), nullptr)
                             : RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, opened.out());
    if (opening != ERROR_SUCCESS) {
        return opening;
    }
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), value.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

LONG DeleteRegistryValue(HKEY root, const std::wstring& key, const std::wstring& value) {
    Key opened;
    const LONG opening = RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, opened.out());
    if (opening != ERROR_SUCCESS) {
        return opening;
    }
    return RegDeleteValueW(opened.get(), value.c_str());
}

}  // namespace zep::win32
