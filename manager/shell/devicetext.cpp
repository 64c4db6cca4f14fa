#include "manager/shell/devicetext.h"

#include <array>

#include "common/textcodec.h"
#include "common/textutil.h"

std::vector<std::string> SplitDelimitedText(std::string_view text, char delimiter, char quote) {
    if (const std::size_t end = text.find('\0'); end != std::string_view::npos)
        text = text.substr(0, end);
    const std::size_t n = text.size();
    std::size_t p = 0;
    std::vector<std::string> fields;
    while (p < n && IsBlankOrControl(text[p]))
        ++p;
    while (p < n) {
        std::string field;
        if (text[p] == quote) {
            // Up to the closing quote, or the end of an unterminated text.
            for (++p; p < n; ++p) {
                if (text[p] != quote) {
                    field += text[p];
                } else if (p + 1 < n && text[p + 1] == quote) {
                    field += quote;
                    ++p;
                } else {
                    ++p;
                    break;
                }
            }
        } else {
            const std::size_t start = p;
            while (p < n && !IsBlankOrControl(text[p]) && text[p] != delimiter)
                ++p;
            field.assign(text.substr(start, p - start));
        }
        fields.push_back(std::move(field));
        while (p < n && IsBlankOrControl(text[p]))
            ++p;
        if (p < n && text[p] == delimiter) {
            if (p + 1 == n) fields.emplace_back();
            do {
                ++p;
            } while (p < n && IsBlankOrControl(text[p]));
        }
    }
    return fields;
}

TDeviceText ParseDeviceText(std::string_view text) {
    const std::vector<std::string> fields = SplitDelimitedText(SanitizeUtf8(text));
    TDeviceText device;
    const std::array<std::string*, 7> targets = {
        &device.account,  &device.displayName,     &device.ip, &device.mac, &device.model,
        &device.firmware, &device.interfaceAddress};
    for (std::size_t i = 0; i < targets.size() && i < fields.size(); ++i)
        *targets[i] = fields[i];
    return device;
}
