#include "manager/params/paramassign.h"

#include <map>

#include "manager/params/paramchecks.h"

std::string AssignFieldValues(TParamBlock& block, std::span<const TFieldAssignment> values) {
    // What the page boxes would hold: the given text, else the block's value as a page shows it.
    std::map<std::string, std::string, std::less<>> given;
    for (const TFieldAssignment& value : values) {
        const std::string error = ParseFieldValue(block, *value.field, value.text);
        if (!error.empty()) return error;
        given[value.field->name] = value.text;
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
    if (!failure) failure = CheckTimeServers(box("time_server1"), box("time_server2"));
    if (failure)
        return failure->field + ": " + failure->defaultText + " (check " +
               std::to_string(failure->keyWord) + ")";
    return {};
}
