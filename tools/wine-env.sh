# Sourced by the Wine wrappers: one private prefix per build folder, Korean
# ANSI code page, no Wine chatter, no proxy from the host.
_quorl_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export QUORL_BUILD="${QUORL_BUILD:-$_quorl_top/build}"
export WINEPREFIX="${WINEPREFIX_QUORL:-$QUORL_BUILD/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export LANG=ko_KR.UTF-8
export LC_ALL=ko_KR.UTF-8
# Keep Wine from asking to install Mono or Gecko on a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY ftp_proxy all_proxy
