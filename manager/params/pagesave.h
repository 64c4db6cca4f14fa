// What the property editor's Save writes into a terminal's block, as one Qt-free rule.
//
// Every path that writes a block to a terminal goes through it: the editor's Save (its pages
// write into a copy, which this rule then turns into the block to write), restoring a parameter
// file, the default parameters, `pelmora-cli params set` and settings plans. So a terminal
// receives from any of them exactly what the editor's pages would write, and nothing else: the
// identity and run-status header, the feature flags, the reserved ranges and the fields of pages
// the terminal does not have keep the terminal's own bytes.
#pragma once

#include <span>
#include <string>

#include "manager/params/paramassign.h"
#include "manager/params/paramblock.h"

// The block a Save makes after the pages were loaded from shown. The page tree is the terminal's
// (its model family and feature flags); a page takes its values from shown when loading shown
// fills it (the same family, and a data serial port in shown for the data serial and event
// server pages), else it writes back what it showed of the terminal. Values go back as the
// pages write them: texts with their terminator (bytes that do not decode are kept, never turned
// into "?"), the display-name and user-number copies after their fields, key records, monitor
// entries and codec lists rebuilt, each stored value as the page shows it (auto hang-up 61,
// volumes and gains within their boxes, list positions without an entry as 255, ...), frame
// size 1000, and the data port's protocol 1.
TParamBlock SaveShownPages(const TParamBlock& shown, const TParamBlock& terminal);

// Why the system must not write this terminal's block at all: not a SIP terminal, or firmware
// below "V2.5" (the properties command refuses both). Empty when it may be written.
std::string WriteRefusal(const TParamBlock& terminal);

// NAME=VALUE assignments given to the pages loaded from the terminal, then saved. On success an
// empty result and the block to write in *written; otherwise the reason, naming the value, and
// nothing may be written.
std::string SaveAssignedValues(const TParamBlock& terminal,
                               std::span<const TFieldAssignment> values, TParamBlock& written);
