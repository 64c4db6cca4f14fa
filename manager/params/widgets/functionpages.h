// The pages of the terminals' functions: talk and multicast, keys, monitored multicast groups,
// the two serial ports and the event server; and the four parameter-file buttons.
#pragma once

class TPageRegistry;

void RegisterTalkPage(TPageRegistry& registry);
void RegisterMulticastPage(TPageRegistry& registry);
void RegisterKeyPage(TPageRegistry& registry);
void RegisterMonitorPage(TPageRegistry& registry);
void RegisterSerialPages(TPageRegistry& registry);
void RegisterEventServerPage(TPageRegistry& registry);
void RegisterParameterFileCommands(TPageRegistry& registry);
