// The names of a terminal's values on the command line and in settings plans, and values given
// as texts stored into a block: each one through its field's encoder and range (or a page value
// through the page's own form), then the input checks of the pages on what the page boxes would
// hold, as the property editor checks them before a write.
//
// One vocabulary: every name stands for one value in one form. A page value (pagevalues.h) is
// given in its page's form and takes the name of the field it shows; a field that no page value
// shows is given in the field's own form. Other spellings of a name are its aliases.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "manager/params/pagevalues.h"
#include "manager/params/paramblock.h"

// What a name stands for: a page value, else a field.
struct TParamName {
    const TParamField* field = nullptr;  // with value null: the field in its own form
    const TPageValue* value = nullptr;

    std::string_view Name() const { return value ? value->name : std::string_view(field->name); }
    // The entry of the page table that shows it ("IntercomSetting"); empty for none.
    std::string_view Page() const { return value ? value->page : field->page; }
    bool operator==(const TParamName& other) const {
        return field == other.field && value == other.value;
    }
};

// A name or an alias, exactly as spelt; nothing for an unknown one.
std::optional<TParamName> FindParamName(std::string_view name);
// Every name once: the fields no page value shows, in table order, then the page values.
std::vector<TParamName> ParamNames();
// The other spellings that name the same value ("echo" for "talk.echo").
std::vector<std::string_view> AliasesOf(std::string_view name);
// Whether a plan (and `params set`) can give the value: page values, and the fields whose value
// text their encoder takes back.
bool IsSettable(const TParamName& name);
// The settable names a plan export writes: a key or monitor entry as one value ("key1"), without
// the fields of its parts ("key1.target").
std::vector<TParamName> PlanExportNames();

// The value as `params get` prints it.
std::string FormatNamedValue(const TParamBlock& block, const TParamName& name);
// Whether the text fits the name's form on a terminal that has its page: empty, else the reason
// naming the value. Plans and `params set` check every value so before any terminal is reached;
// what depends on the terminal (its pages, the checks across boxes) is checked on its block.
std::string CheckValueForm(const TParamName& name, std::string_view text);

// One NAME=VALUE: a field of the block, or a value in a page's form (value set, field null).
struct TFieldAssignment {
    const TParamField* field = nullptr;
    std::string text;
    const TPageValue* value = nullptr;

    TFieldAssignment() = default;
    TFieldAssignment(const TParamField* f, std::string t, const TPageValue* v = nullptr)
        : field(f), text(std::move(t)), value(v) {}
    TFieldAssignment(const TParamName& name, std::string t)
        : field(name.value ? nullptr : name.field), text(std::move(t)), value(name.value) {}

    TParamName Named() const { return {field, value}; }
    std::string_view Name() const { return Named().Name(); }
};

// Empty on success. Otherwise the reason, naming the field ("ip: ..."); the block may then hold
// some of the values, and must not be written.
std::string AssignFieldValues(TParamBlock& block, std::span<const TFieldAssignment> values);
