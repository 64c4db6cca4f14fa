// Controls that model families disable, or disable and hide, on the editor's pages. They keep
// their loaded values and are saved as loaded. The editor applies these to whichever page is
// registered under the entry name when it loads the pages of a family.
#pragma once

#include <QStringList>
#include <cstdint>
#include <span>
#include <string_view>

struct TFamilyRestriction {
    std::string_view page;      // entry of the page table
    std::uint8_t families;      // FamilyBit of each family
    std::string_view controls;  // object names on the page, separated by blanks
    bool hide;
};

std::span<const TFamilyRestriction> FamilyRestrictions();

// The object names of a restriction.
QStringList ControlNames(const TFamilyRestriction& restriction);
