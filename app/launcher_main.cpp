// The launcher program's one application object.  It lives in a file of its
// own, built into the program only, so that test programs can link the
// application's library with an application object of their own.
#include "app/launcher_app.h"

static CQuorlLauncherApp theApp;
