// A settings store in memory for tests: records what is written and answers every write with a
// chosen outcome (Written keeps the value).
#pragma once

#include <map>
#include <optional>
#include <string>

#include "manager/settings/settingsstore.h"

class TMemorySettingsStore : public ISettingsStore {
  public:
    std::optional<std::string> ReadText(const std::string& name) const override {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    TStoreWriteResult WriteText(const std::string& name, const std::string& value) override {
        ++writes;
        if (result.outcome == TStoreWrite::Written) values[name] = value;
        return result;
    }

    std::map<std::string, std::string> values;
    int writes = 0;
    TStoreWriteResult result;  // what every write answers
};
