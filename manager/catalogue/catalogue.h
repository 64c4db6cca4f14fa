// The device catalogue ("license.dat"): turns the model name a terminal reports into the name
// shown in the device list and the property editor's title.
//
// The document lists base models, the device types they belong to and, for resellers, the names
// under which models are shown. Names in it are hex texts of device code page bytes; in memory
// every text is UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TMyXmlobj;

struct TBaseDeviceModel {
    std::string name;  // as terminals report it
    std::int32_t paths = 0;
    std::int32_t startnumber = 0;
};

class TBaseDeviceModelList {
  public:
    void Add(TBaseDeviceModel model) { items_.push_back(std::move(model)); }
    const std::vector<TBaseDeviceModel>& Items() const { return items_; }
    // The first model whose name equals name exactly, or none.
    const TBaseDeviceModel* Find(std::string_view name) const;

  private:
    std::vector<TBaseDeviceModel> items_;
};

struct TDeviceType {
    std::int32_t number = 0;  // 1..11
    std::string typeName;
    std::vector<std::string> models;  // base model names
    // Membership ignores letter case.
    bool Contains(std::string_view modelName) const;
};

// The eleven device types, in number order, with their fixed names.
class TDeviceTypeList {
  public:
    static constexpr std::int32_t kCount = 11;
    TDeviceTypeList();
    const std::vector<TDeviceType>& Items() const { return items_; }
    TDeviceType& Type(std::int32_t number) { return items_.at(number - 1); }

  private:
    std::vector<TDeviceType> items_;
};

struct TUserDeviceModel {
    std::string baseName;
    std::string userName;  // the name the reseller wants shown
};

class TUserDeviceModelList {
  public:
    void Add(TUserDeviceModel model) { items_.push_back(std::move(model)); }
    const std::vector<TUserDeviceModel>& Items() const { return items_; }

  private:
    std::vector<TUserDeviceModel> items_;
};

struct TFactoryInfo {
    std::string agent;
    bool IsResellerMode() const { return agent == "YES"; }  // case-sensitive
};

struct TDeviceProperty {
    std::int32_t typeNumber = 0;
    std::string typeName;
    std::string baseName;
    std::string displayName;
};

// The catalogue proper, read-only after loading.
class TDevicePropertyList {
  public:
    void Add(TDeviceProperty record) { records_.push_back(std::move(record)); }
    const std::vector<TDeviceProperty>& Records() const { return records_; }
    // The display name of the first record whose base name equals modelName exactly (letter
    // case counts, whole text); empty when there is none.
    std::string CatalogueDisplayName(std::string_view modelName) const;

  private:
    std::vector<TDeviceProperty> records_;
};

// Builds the catalogue from the file; a missing or unreadable file gives an empty catalogue.
TDevicePropertyList LoadCatalogue(const std::string& path);
// Builds the catalogue from a loaded document; a document without the sections gives an empty
// or partial catalogue.
TDevicePropertyList BuildCatalogue(const TMyXmlobj& document);

// A hex text (pairs of hex digits, up to the first pair that is not one) decoded from the device
// code page to UTF-8, ended by its first zero byte and cut to at most maxBytes device bytes
// without splitting a character.
std::string DecodeHexText(std::string_view hex, std::size_t maxBytes);
