// Field values given as texts (the command line, settings plans) stored into a block: each one
// through its field's encoder and range, then the input checks of the network and maintenance
// pages on what the page boxes would hold, as the property editor checks them before a write.
#pragma once

#include <span>
#include <string>

#include "manager/params/paramblock.h"

struct TFieldAssignment {
    const TParamField* field = nullptr;
    std::string text;
};

// Empty on success. Otherwise the reason, naming the field ("ip: ..."); the block may then hold
// some of the values, and must not be written.
std::string AssignFieldValues(TParamBlock& block, std::span<const TFieldAssignment> values);
