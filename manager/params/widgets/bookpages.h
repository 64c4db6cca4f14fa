// The address-book pages of family-520 terminals: the contact page and the zone page. Each holds
// its download selection of the data folder, lets the operator choose rows from the master list,
// order them and send them to the terminal's host tables.
#pragma once

#include "manager/hostdl/widgets/downloadrunner.h"

class TPageRegistry;

// options: the progress dialog's start delay and the protocol's waits (tests shorten them).
void RegisterBookPages(TPageRegistry& registry, const TDownloadDialogOptions& options = {});
