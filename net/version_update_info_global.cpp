#include "net/version_update_info.h"

// Constructed before the application starts, destroyed at exit (which
// deletes every entry and frees its buffer).
CVersionUpdateInfoList g_versionUpdateInfoList;
