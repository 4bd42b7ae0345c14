#include "app/portal.h"

namespace {
CString& LaunchArgument() {
  static CString s_argument;
  return s_argument;
}
}  // namespace

void ParseLaunchArgument(const char* argument) { LaunchArgument() = argument ? argument : ""; }

const CString& GetLaunchArgument() { return LaunchArgument(); }
