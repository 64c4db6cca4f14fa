// What differs between two parameter blocks, field by field, in the names and texts that
// `params get` shows: the field table's values, and the pages' own forms where a page shows a
// value ("key1" = "call:8001"). Reserved bytes and the run status are not compared.
#pragma once

#include <string>
#include <vector>

#include "manager/params/paramblock.h"

struct TParamDifference {
    std::string name, first, second;
    bool operator==(const TParamDifference&) const = default;
};

// In the order of `params get`: the fields of the table, then the pages' values. A field that
// feeds a differing page value or is a member of its record, or that only copies a differing
// field, is told by that one.
std::vector<TParamDifference> DiffParamBlocks(const TParamBlock& first, const TParamBlock& second);

// "name: first → second", an empty text shown as "".
std::string DifferenceLine(const TParamDifference& difference);
