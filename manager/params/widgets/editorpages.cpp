#include "manager/params/widgets/editorpages.h"

#include "manager/params/widgets/basicpages.h"

TPageRegistry StandardPageRegistry() {
    TPageRegistry registry;
    RegisterRunInfoPage(registry);
    RegisterNetworkPage(registry);
    RegisterAccountPage(registry);
    RegisterMaintenancePage(registry);
    return registry;
}
