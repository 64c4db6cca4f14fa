#include "manager/params/paramassign.h"

#include <algorithm>
#include <map>

#include "common/translation.h"
#include "manager/params/paramchecks.h"
#include "manager/params/paramfamily.h"

namespace {

// Spellings of earlier versions and of the pages' captions that name a value of the vocabulary.
struct TNameAlias {
    std::string_view alias, name;
};
constexpr TNameAlias kAliases[] = {
    {"echo", "talk.echo"},
    {"auto_answer", "talk.auto_answer"},
    {"ring.volume", "talk.ring_volume"},
    {"data_uart.baud", "uart_data.baud"},
    {"data_uart.parity", "uart_data.parity"},
    {"data_uart.data_bits", "uart_data.data_bits"},
    {"data_uart.stop_bits", "uart_data.stop_bits"},
    {"data_uart.flow", "uart_data.flow"},
    {"data_uart.frame_interval", "uart_data.frame_interval"},
    {"data_uart.max_frame", "uart_data.max_frame"},
    {"data_uart.local_port", "uart_data.local_port"},
    {"data_uart.target", "uart_data.target_ip"},
    {"data_uart.target_port", "uart_data.target_port"},
    {"data_uart.mode", "uart_data.mode"},
    {"data_uart.keepalive", "uart_data.keepalive"},
};

std::optional<TParamName> FindCanonical(std::string_view name) {
    if (const TPageValue* value = FindPageValue(name))
        return TParamName{FindParamField(name), value};
    if (const TParamField* field = FindParamField(name)) return TParamName{field, nullptr};
    return std::nullopt;
}

// The page value's parts as fields: "key1" is given by "key1.mode", "key1.target", ...
bool IsPartOfPageValue(const TParamField& field) {
    const std::size_t dot = field.name.find('.');
    if (dot == std::string::npos) return false;
    const TPageValue* whole = FindPageValue(std::string_view(field.name).substr(0, dot));
    return whole != nullptr && FindParamField(whole->name) == nullptr;
}

// A block of a family that shows the page, with the data port: nothing when no family does.
std::optional<TParamBlock> BlockWithPage(std::string_view page) {
    for (std::string_view model : FamilyModelNames()) {
        TParamBlock block;
        SetFieldText(block, ParamField("model"), model);
        SetFieldInt(block, ParamField("features"), kFeatureDataPort);
        if (HasPage(block, page)) return block;
    }
    return std::nullopt;
}

}  // namespace

std::optional<TParamName> FindParamName(std::string_view name) {
    for (const TNameAlias& alias : kAliases)
        if (alias.alias == name) return FindCanonical(alias.name);
    return FindCanonical(name);
}

std::vector<TParamName> ParamNames() {
    std::vector<TParamName> names;
    for (const TParamField& field : ParamFields())
        if (!FindPageValue(field.name)) names.push_back({&field, nullptr});
    for (const TPageValue& value : PageValues())
        names.push_back({FindParamField(value.name), &value});
    return names;
}

std::vector<std::string_view> AliasesOf(std::string_view name) {
    std::vector<std::string_view> aliases;
    for (const TNameAlias& alias : kAliases)
        if (alias.name == name) aliases.push_back(alias.alias);
    return aliases;
}

bool IsSettable(const TParamName& name) {
    if (name.value) return true;
    TParamBlock scratch;
    return ParseFieldValue(scratch, *name.field, FormatFieldValue(scratch, *name.field)).empty();
}

std::vector<TParamName> PlanExportNames() {
    std::vector<TParamName> names;
    for (const TParamName& name : ParamNames())
        if (IsSettable(name) && (name.value || !IsPartOfPageValue(*name.field)))
            names.push_back(name);
    return names;
}

std::string FormatNamedValue(const TParamBlock& block, const TParamName& name) {
    return name.value ? FormatPageValue(block, *name.value) : FormatFieldValue(block, *name.field);
}

std::string CheckValueForm(const TParamName& name, std::string_view text) {
    if (!name.value) {
        TParamBlock scratch;
        return ParseFieldValue(scratch, *name.field, text);
    }
    std::optional<TParamBlock> block = BlockWithPage(name.value->page);
    if (!block) return std::string(name.Name()) + ": no terminal has its page";
    return ParsePageValue(*block, *name.value, text);
}

std::string AssignFieldValues(TParamBlock& block, std::span<const TFieldAssignment> values) {
    // What the page boxes would hold: the given text, else the block's value as a page shows it.
    std::map<std::string, std::string, std::less<>> given;
    for (const TFieldAssignment& value : values) {
        // A page the terminal lacks keeps its fields, as in the editor.
        if (value.field && !value.field->readOnly && !HasPage(block, value.field->page))
            return NoPageText(block, value.field->name, value.field->page);
        const std::string error = value.value ? ParsePageValue(block, *value.value, value.text)
                                              : ParseFieldValue(block, *value.field, value.text);
        if (!error.empty()) return error;
        given[std::string(value.Name())] = value.text;
    }
    auto box = [&](const char* name) {
        const auto it = given.find(name);
        if (it != given.end()) return it->second;
        const TParamField& field = ParamField(name);
        return field.kind == TFieldKind::kIpv4 && !field.zeroShownEmpty
                   ? GetFieldIp(block, field)
                   : FormatFieldValue(block, field);
    };
    const TNetworkInput network{
        GetFieldInt(block, ParamField("dhcp")) == 1,     box("ip"),   box("mask"), box("gateway"),
        GetFieldInt(block, ParamField("auto_dns")) == 1, box("dns1"), box("dns2")};
    std::optional<TCheckFailure> failure = CheckNetworkInput(network);
    for (const char* name : {"uart_ctrl.target_ip", "uart_data.target_ip", "event_server"})
        if (!failure && (std::string_view(name) != "event_server" || HasDataPort(block)))
            failure = CheckExtendedAddress(name, box(name));
    if (!failure) failure = CheckTimeServers(box("time_server1"), box("time_server2"));
    // The window's text in the language of the program's translation document.
    if (failure)
        return failure->field + ": " +
               Translate(PropertyMessageKey(failure->keyWord), failure->defaultText) + " (check " +
               std::to_string(failure->keyWord) + ")";
    return {};
}
