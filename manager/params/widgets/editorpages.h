// The pages and commands the property editor of the program offers.
#pragma once

#include "manager/params/widgets/pageregistry.h"

// Every page and command of the editor, registered by their modules.
TPageRegistry StandardPageRegistry();
