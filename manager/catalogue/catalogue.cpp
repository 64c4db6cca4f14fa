#include "manager/catalogue/catalogue.h"

#include <charconv>
#include <map>
#include <unordered_map>

#include "common/textcodec.h"
#include "common/textutil.h"
#include "common/xmlobj.h"
#include "manager/access/addresstext.h"

namespace {

constexpr std::size_t kNameBytes = 31;
constexpr std::size_t kAgentBytes = 15;

constexpr const char* kTypeNames[TDeviceTypeList::kCount] = {
    "播放终端",     "采播终端", "遥控终端", "网络话筒", "报警主机", "电源控制终端",
    "信号触发设备", "定时主机", "电话主机", "分区主机", "BGM主机",
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// A whole decimal 32-bit integer, blanks and control characters around it allowed.
std::optional<std::int32_t> ParseInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The element children of one catalogue section, found by number the way a path
// ".../N/child" finds them: among the children named N (by its decimal form), the first that
// has the wanted child element. An index keeps this linear for large documents.
class TNumberedChildren {
  public:
    explicit TNumberedChildren(const TXmlElement& section) {
        for (std::size_t i = 0; i < section.ElementChildCount(); ++i) {
            const TXmlElement child = section.ElementChild(i);
            byName_[Lower(child.Name())].push_back(child);
        }
    }

    // Text of the first child named childName of the first element named number that has one;
    // empty when there is none.
    std::string Read(std::int32_t number, std::string_view childName) const {
        const auto it = byName_.find(std::to_string(number));
        if (it == byName_.end()) return {};
        for (const TXmlElement& element : it->second) {
            for (std::size_t i = 0; i < element.ElementChildCount(); ++i) {
                const TXmlElement child = element.ElementChild(i);
                if (Lower(child.Name()) == childName) return child.Text();
            }
        }
        return {};
    }

  private:
    std::unordered_map<std::string, std::vector<TXmlElement>> byName_;
};

// Reads one record per element child of the section whose name is a decimal integer, in
// document order: build(children, N) gives the record of number N, or none. Each number is built
// once, so many siblings of one name cannot make the reading quadratic.
template <typename Record, typename Build>
std::vector<Record> ReadNumberedRecords(const TXmlElement& section, Build build) {
    const TNumberedChildren children(section);
    std::map<std::int32_t, std::optional<Record>> built;
    std::vector<Record> records;
    for (std::size_t i = 0; i < section.ElementChildCount(); ++i) {
        const auto number = ParseInteger(section.ElementChild(i).Name());
        if (!number) continue;
        auto [it, fresh] = built.try_emplace(*number);
        if (fresh) it->second = build(children, *number);
        if (it->second) records.push_back(*it->second);
    }
    return records;
}

TBaseDeviceModelList ReadBaseModels(const TMyXmlobj& document) {
    TBaseDeviceModelList list;
    const auto models = ReadNumberedRecords<TBaseDeviceModel>(
        document.FindElement("deviceconfig/base/devicemodel"),
        [](const TNumberedChildren& children, std::int32_t number) {
            const std::string name = children.Read(number, "name");
            const auto paths = ParseInteger(children.Read(number, "paths"));
            const auto start = ParseInteger(children.Read(number, "startnumber"));
            if (name.empty() || !paths || !start) return std::optional<TBaseDeviceModel>();
            return std::optional(TBaseDeviceModel{DecodeHexText(name, kNameBytes), *paths, *start});
        });
    for (const TBaseDeviceModel& model : models)
        list.Add(model);
    return list;
}

TDeviceTypeList ReadDeviceTypes(const TMyXmlobj& document) {
    TDeviceTypeList types;
    for (std::int32_t t = 1; t <= TDeviceTypeList::kCount; ++t) {
        const TXmlElement element =
            document.FindElement("deviceconfig/base/devicetype/" + std::to_string(t));
        for (std::size_t i = 0; i < element.ElementChildCount(); ++i) {
            const TXmlElement child = element.ElementChild(i);
            if (ParseInteger(child.Name())) {
                types.Type(t).models.push_back(DecodeHexText(child.Text(), kNameBytes));
            }
        }
    }
    return types;
}

TUserDeviceModelList ReadResellerModels(const TMyXmlobj& document) {
    TUserDeviceModelList list;
    const auto models = ReadNumberedRecords<TUserDeviceModel>(
        document.FindElement("deviceconfig/proxy/devicemodel"),
        [](const TNumberedChildren& children, std::int32_t number) {
            const std::string base = children.Read(number, "basename");
            const std::string user = children.Read(number, "username");
            if (base.empty() || user.empty()) return std::optional<TUserDeviceModel>();
            return std::optional(
                TUserDeviceModel{DecodeHexText(base, kNameBytes), DecodeHexText(user, kNameBytes)});
        });
    for (const TUserDeviceModel& model : models)
        list.Add(model);
    return list;
}

}  // namespace

std::string DecodeHexText(std::string_view hex, std::size_t maxBytes) {
    // The names are kept as zero-terminated text fields, so a zero byte ends the text: a name
    // padded with 00 pairs still matches the model name a terminal reports.
    const std::string bytes = HexToBytes(hex);
    const std::string text = bytes.substr(0, bytes.find('\0'));
    return FromDeviceBytes(ToDeviceBytesLimited(FromDeviceBytes(text), maxBytes));
}

const TBaseDeviceModel* TBaseDeviceModelList::Find(std::string_view name) const {
    for (const TBaseDeviceModel& model : items_) {
        if (model.name == name) return &model;
    }
    return nullptr;
}

bool TDeviceType::Contains(std::string_view modelName) const {
    const std::string wanted = Lower(modelName);
    for (const std::string& model : models) {
        if (Lower(model) == wanted) return true;
    }
    return false;
}

TDeviceTypeList::TDeviceTypeList() {
    for (std::int32_t t = 1; t <= kCount; ++t)
        items_.push_back({t, kTypeNames[t - 1], {}});
}

std::string TDevicePropertyList::CatalogueDisplayName(std::string_view modelName) const {
    for (const TDeviceProperty& record : records_) {
        if (record.baseName == modelName) return record.displayName;
    }
    return {};
}

TDevicePropertyList BuildCatalogue(const TMyXmlobj& document) {
    const TBaseDeviceModelList baseModels = ReadBaseModels(document);
    const TDeviceTypeList types = ReadDeviceTypes(document);
    const TUserDeviceModelList resellerModels = ReadResellerModels(document);
    const TFactoryInfo factory{
        DecodeHexText(document.ReadValue("deviceconfig/information/agent", ""), kAgentBytes)};

    TDevicePropertyList catalogue;
    auto addForEveryType = [&](const std::string& baseName, const std::string& displayName) {
        for (const TDeviceType& type : types.Items()) {
            if (type.Contains(baseName)) {
                catalogue.Add({type.number, type.typeName, baseName, displayName});
            }
        }
    };
    if (factory.IsResellerMode()) {
        for (const TUserDeviceModel& model : resellerModels.Items()) {
            if (baseModels.Find(model.baseName)) addForEveryType(model.baseName, model.userName);
        }
    } else {
        for (const TBaseDeviceModel& model : baseModels.Items()) {
            addForEveryType(model.name, model.name);
        }
    }
    return catalogue;
}

TDevicePropertyList LoadCatalogue(const std::string& path) {
    TMyXmlobj document;
    document.Load(path);
    return BuildCatalogue(document);
}
