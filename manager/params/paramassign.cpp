#include "manager/params/paramassign.h"

#include <map>

#include "manager/params/paramchecks.h"
#include "manager/params/paramfamily.h"

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
        // The data port's target is a page value whose box is the field's.
        given[std::string(value.Name() == "data_uart.target" ? "uart_data.target_ip"
                                                             : value.Name())] = value.text;
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
    if (failure)
        return failure->field + ": " + failure->defaultText + " (check " +
               std::to_string(failure->keyWord) + ")";
    return {};
}
