#include "manager/params/widgets/editorpages.h"

#include "manager/params/widgets/basicpages.h"
#include "manager/params/widgets/bookpages.h"
#include "manager/params/widgets/functionpages.h"

TPageRegistry StandardPageRegistry() {
    TPageRegistry registry;
    RegisterRunInfoPage(registry);
    RegisterNetworkPage(registry);
    RegisterAccountPage(registry);
    RegisterTalkPage(registry);
    RegisterMulticastPage(registry);
    RegisterKeyPage(registry);
    RegisterMonitorPage(registry);
    RegisterSerialPages(registry);
    RegisterEventServerPage(registry);
    RegisterBookPages(registry);
    RegisterMaintenancePage(registry);
    RegisterParameterFileCommands(registry);
    return registry;
}
