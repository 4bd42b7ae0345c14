// The launcher screen's calls to the rest of the program by name, in one
// place: the frame hands this host to every launcher view it creates.  The
// screen itself (quorl_skin) builds and is tested without them.
#pragma once

#include "skin/launcher_view.h"

CLauncherViewHost& GetLauncherViewAppHost();
