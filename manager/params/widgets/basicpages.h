// The pages every terminal has: run information, network and management server, SIP account,
// maintenance (login, time zone, time servers).
#pragma once

class TPageRegistry;

void RegisterRunInfoPage(TPageRegistry& registry);
void RegisterNetworkPage(TPageRegistry& registry);
void RegisterAccountPage(TPageRegistry& registry);
void RegisterMaintenancePage(TPageRegistry& registry);
