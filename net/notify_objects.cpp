#include "net/notify_objects.h"

IMPLEMENT_DYNAMIC(CVersionNotifyObj, CObject)
IMPLEMENT_DYNAMIC(CWorldNotifyObj, CObject)
IMPLEMENT_DYNAMIC(CWorldSiteListNotifyObj, CObject)
