// The pictures of the main window, drawn at start: 32x32 toolbar pictures and the 16x16 status
// icons of the device list.
#pragma once

#include <QIcon>

enum class TToolPicture { Search, Add, Modify, Delete, Contacts, Multicast, Upgrade, About, Quit };

QIcon ToolPicture(TToolPicture picture);

// Status icon index 0 (unreachable), 1 (reachable, complete), 3 (account or name empty),
// 6 (off the local subnets); other indexes give a null icon.
QIcon StatusIcon(int index);
