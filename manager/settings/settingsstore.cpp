#include "manager/settings/settingsstore.h"

std::unique_ptr<ISettingsStore> MakeUserSettingsStore() {
    return MakeSettingsStore({false, "Tarnix", "Drovik", {}});
}

std::unique_ptr<ISettingsStore> MakeMachineSettingsStore() {
    return MakeSettingsStore({true, "Tarnix", "Pelmora", {}});
}
