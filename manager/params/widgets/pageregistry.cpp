#include "manager/params/widgets/pageregistry.h"

#include <algorithm>

bool TPageRegistry::AddPage(TPageRegistration page) {
    const TPageEntry* entry = FindPage(page.name);
    if (entry == nullptr || entry->page.empty() || !page.create) return false;
    auto same = [&](const TPageRegistration& p) { return p.name == page.name; };
    const auto known = std::find_if(pages_.begin(), pages_.end(), same);
    if (known != pages_.end())
        *known = std::move(page);
    else
        pages_.push_back(std::move(page));
    return true;
}

void TPageRegistry::AddCommand(std::string buttonName, TEditorCommand command) {
    for (auto& [name, known] : commands_)
        if (name == buttonName) {
            known = std::move(command);
            return;
        }
    commands_.emplace_back(std::move(buttonName), std::move(command));
}

const TPageRegistration* TPageRegistry::Page(std::string_view name) const {
    for (const TPageRegistration& page : pages_)
        if (page.name == name) return &page;
    return nullptr;
}

const TEditorCommand* TPageRegistry::Command(std::string_view buttonName) const {
    for (const auto& [name, command] : commands_)
        if (name == buttonName) return &command;
    return nullptr;
}
