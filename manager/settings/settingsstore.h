// Small named-value stores that stand in for the two registry keys of the manager: one per
// user ("Tarnix"/"Drovik") and one per machine ("Tarnix"/"Pelmora"). They are injected, so
// tests never touch the real user's or machine's settings.
#pragma once

#include <memory>
#include <optional>
#include <string>

enum class TStoreWrite {
    Written,
    Unavailable,  // the store cannot be written (no rights, no place for it)
    Failed,       // the store took the value but could not keep it
};

struct TStoreWriteResult {
    TStoreWrite outcome = TStoreWrite::Written;
    std::string error;  // for Failed: a text to show the user
};

class ISettingsStore {
  public:
    virtual ~ISettingsStore() = default;
    // The value as text, or none when the store has no such value.
    virtual std::optional<std::string> ReadText(const std::string& name) const = 0;
    virtual TStoreWriteResult WriteText(const std::string& name, const std::string& value) = 0;
};

// Where a store of the system lives. On Windows: the registry key
// "Software\<organization>\<application>" under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE. Elsewhere:
// the file "<organization>/<application>.conf" that QSettings keeps for the same names, in the
// user's configuration folder ($XDG_CONFIG_HOME, or ~/.config) or in /etc/xdg for the machine,
// so the windows' stores of earlier versions and this one hold the same values.
struct TStorePlace {
    bool machine = false;
    std::string organization;
    std::string application;
    std::string folder;  // instead of the configuration folder (tests); not used on Windows
};
std::unique_ptr<ISettingsStore> MakeSettingsStore(const TStorePlace& place);
// Removes the store of that place with its values, and the organization's key or folder once
// no other store is left in it (tests leave no stores behind).
void RemoveSettingsStore(const TStorePlace& place);

// The per-user store "Tarnix"/"Drovik" (holds "ShowUnknowDeviceType").
std::unique_ptr<ISettingsStore> MakeUserSettingsStore();
// The per-machine store "Tarnix"/"Pelmora" (holds "Path").
std::unique_ptr<ISettingsStore> MakeMachineSettingsStore();
