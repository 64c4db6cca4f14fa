// Field values given as texts (the command line, settings plans) stored into a block: each one
// through its field's encoder and range (or a page value through the page's own form), then the
// input checks of the pages on what the page boxes would hold, as the property editor checks
// them before a write.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "manager/params/pagevalues.h"
#include "manager/params/paramblock.h"

// One NAME=VALUE: a field of the block, or a value in a page's form (value set, field null).
struct TFieldAssignment {
    const TParamField* field = nullptr;
    std::string text;
    const TPageValue* value = nullptr;

    std::string_view Name() const { return value ? value->name : std::string_view(field->name); }
};

// Empty on success. Otherwise the reason, naming the field ("ip: ..."); the block may then hold
// some of the values, and must not be written.
std::string AssignFieldValues(TParamBlock& block, std::span<const TFieldAssignment> values);
