// Model families, their default values and the property editor's page table, as data shared by
// the editor, the parameter files and the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "manager/params/paramblock.h"

enum class TModelFamily : std::uint8_t { kNone, k310, k520, k430, k1601, k460, k650 };

// The family of a model name: upper-cased, it must contain one of the family's names; the rows
// are tried in order and the first match wins. kNone when no row matches.
TModelFamily ModelFamily(std::string_view modelName);
// One model name of each family ("SIP310", "SIP520", ...), in the table's order.
std::vector<std::string_view> FamilyModelNames();
// The family of the block's model name field (offset 12).
TModelFamily BlockFamily(const TParamBlock& block);
// 310, 520, 430, 1601, 460, 650, or 0 for none.
int FamilyNumber(TModelFamily family);

struct TFamilyDefaults {
    int talkGain, multicastGain, echoLevel, talkVolume, ringVolume, playVolume, autoAnswer;
    int Value(TFamilyValue column) const;
};
// Nothing for a model without a family.
std::optional<TFamilyDefaults> FamilyDefaultValues(TModelFamily family);

// Feature bit 3 of the block's feature flags: data serial port and event server.
bool HasDataPort(const TParamBlock& block);

// "default310.dps" and so on; empty for a model without a family.
std::string DefaultParamFileName(TModelFamily family);

// One entry of the editor's page tree.
enum class TPageShownWhen : std::uint8_t { kAlways, kFamilies, kDataPort };
struct TPageEntry {
    std::string_view name;     // "BaseParam"; the translation key is PageTranslationKey(name)
    std::string_view caption;  // default caption
    std::string_view page;     // object name of the page ("tbShtBaseParam"), empty for none
    std::string_view parent;   // name of the parent entry, empty for a top-level entry
    TPageShownWhen shownWhen;
    std::uint8_t families;  // with kFamilies: bit FamilyBit(f) for each family that has it
};
constexpr std::uint8_t FamilyBit(TModelFamily family) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(family));
}

// The entries in tree order.
std::span<const TPageEntry> PageTable();
const TPageEntry* FindPage(std::string_view name);
bool IsPageShown(const TPageEntry& entry, TModelFamily family, bool dataPort);
// Whether the block's model family and feature flags give the page of that name.
bool HasPage(const TParamBlock& block, std::string_view page);
// Why a value of that page cannot be given to this terminal: "NAME: the terminal has no page
// "GPIO" (no data serial port)".
std::string NoPageText(const TParamBlock& block, std::string_view name, std::string_view page);
// "Pelmora/TFrmProperty/OrgTreeView/" + name.
std::string PageTranslationKey(std::string_view name);

// Which built-in default groups a family receives beyond network, account, the serial ports,
// the event server and maintenance (talk, multicast, key, monitor).
bool FamilyHasDefaultGroup(TModelFamily family, TDefaultGroup group);

// Puts one field's built-in default into the block (nothing for a kept field).
void ApplyFieldDefault(TParamBlock& block, const TParamField& field, const TFamilyDefaults& values,
                       std::string_view managementServer);

// Applies the built-in defaults to a copy of the terminal's block, in group order; fields whose
// default is kept, and the groups the family does not receive, keep their values.
// managementServer is DefaultManagementServer's text.
void ApplyBuiltInDefaults(TParamBlock& block, std::string_view managementServer);
