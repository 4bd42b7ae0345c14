# Sourced by the Wine wrappers: one private prefix per build folder and
# Windows architecture, Korean ANSI code page, no Wine chatter, no proxy
# from the host.
#
# QUORL_WINEARCH picks the architecture: win32 (the product, i686) or win64
# (the x86_64 test build).  Each has a prefix of its own.  The loader is
# chosen explicitly: Debian's plain "wine" starts through the i386 loader,
# which fails with "Exec format error" on kernels without IA-32 emulation,
# even for a 64-bit program.
_quorl_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export QUORL_BUILD="${QUORL_BUILD:-$_quorl_top/build}"
export QUORL_WINEARCH="${QUORL_WINEARCH:-win32}"
case "$QUORL_WINEARCH" in
  win32)
    export WINEARCH=win32
    export WINEPREFIX="${WINEPREFIX_QUORL:-$QUORL_BUILD/wineprefix}"
    QUORL_WINE=/usr/lib/wine/wine
    ;;
  win64)
    export WINEARCH=win64
    export WINEPREFIX="${WINEPREFIX_QUORL64:-$QUORL_BUILD/wineprefix64}"
    QUORL_WINE=/usr/lib/wine/wine64
    ;;
  *)
    echo "wine-env: unknown QUORL_WINEARCH '$QUORL_WINEARCH' (win32 or win64)" >&2
    return 2 2>/dev/null || exit 2
    ;;
esac
[ -x "$QUORL_WINE" ] || QUORL_WINE=$(command -v wine)
export QUORL_WINE
# The server that belongs to the same Wine installation as the loader.
export WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver}"
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINEDEBUG=-all
export LANG=ko_KR.UTF-8
export LC_ALL=ko_KR.UTF-8
# Keep Wine from asking to install Mono or Gecko on a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY ftp_proxy all_proxy
