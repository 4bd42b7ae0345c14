#!/usr/bin/env bash
# with-http-servers.sh CMD...: runs CMD beside real HTTP servers from Debian
# on loopback, each on a port found free just before it starts:
#   lighttpd serving a folder of files (the good path of a download),
#   tinyproxy as an open proxy, and tinyproxy with Basic authentication.
# CMD finds them in its environment (Wine hands it on to Windows programs):
#   QUORL_WEB_PORT          lighttpd
#   QUORL_WEB_FILES         "name size crc32hex" per file, ";" between files
#   QUORL_PROXY_PORT        the open proxy
#   QUORL_AUTH_PROXY_PORT   the proxy that wants QUORL_AUTH_PROXY_USER and
#                           QUORL_AUTH_PROXY_PASSWORD
#   QUORL_WEB_OVERLONG      "path prefix MiB": a body with no Content-Length,
#                           the file "prefix" of the list above followed by
#                           MiB more MiB (a server that runs past a file)
# QUORL_WEB_BIG_MB=N also serves big.bin of N MiB (the benchmark).
# The servers are stopped on every way out; CMD's exit code is returned.
set -uo pipefail

for tool in lighttpd tinyproxy python3; do
  command -v "$tool" >/dev/null || { echo "with-http-servers: $tool is missing (run tools/setup.sh)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quorl-http.XXXXXX")
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

# accepting PORT PID: true once PORT accepts while PID still runs.
accepting() {
  local i
  for i in $(seq 100); do
    kill -0 "$2" 2>/dev/null || return 1
    if (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; then return 0; fi
    sleep 0.05
  done
  return 1
}

# start NAME CONFIG_TEMPLATE_FUNCTION COMMAND...: picks a port, writes the
# configuration, starts the server and waits for it; another process may
# take the port between the probe and the start, so a few tries.
started_port=""
start() {
  local name=$1 make_conf=$2 try port pid
  shift 2
  for try in 1 2 3 4 5; do
    port=$(free_port)
    "$make_conf" "$port" >"$work/$name.conf"
    "$@" "$work/$name.conf" >"$work/$name.log" 2>&1 &
    pid=$!
    if accepting "$port" "$pid"; then
      pids+=("$pid")
      started_port=$port
      return 0
    fi
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  done
  echo "with-http-servers: $name did not start; its log:" >&2
  tail -n 20 "$work/$name.log" >&2
  exit 1
}

# The files of the good path, with their sizes and CRC-32 computed here by
# Python's zlib: an oracle independent of the code under test.
root="$work/www"
mkdir -p "$root"
: >"$root/empty.bin"
printf 'Quorl patch file\n' >"$root/small.txt"
python3 - "$root" "${QUORL_WEB_BIG_MB:-0}" <<'PY'
import os, random, sys
root, big_mb = sys.argv[1], int(sys.argv[2])
rnd = random.Random(20040825)
with open(os.path.join(root, "one_mb.bin"), "wb") as f:
    f.write(rnd.randbytes(1024 * 1024 + 17))
with open(os.path.join(root, "block.bin"), "wb") as f:
    f.write(rnd.randbytes(65536))
if big_mb > 0:
    with open(os.path.join(root, "big.bin"), "wb") as f:
        chunk = rnd.randbytes(1 << 20)
        for i in range(big_mb):
            f.write(chunk[i % 251:] + chunk[:i % 251])
PY
QUORL_WEB_FILES=$(python3 - "$root" <<'PY'
import os, sys, zlib
root = sys.argv[1]
out = []
for name in sorted(os.listdir(root)):
    crc = 0
    with open(os.path.join(root, name), "rb") as f:
        while True:
            b = f.read(1 << 20)
            if not b:
                break
            crc = zlib.crc32(b, crc)
    out.append("%s %d %08x" % (name, os.path.getsize(os.path.join(root, name)), crc))
print(";".join(out))
PY
)
export QUORL_WEB_FILES

# Made after the list: it is no file to fetch whole.  A CGI answer has no
# length, and streamed (below) it is never gathered to get one.
overlong_mb=48
cat >"$root/overlong.cgi" <<CGI
printf 'Content-Type: application/octet-stream\r\n\r\n'
cat "$root/small.txt"
exec head -c $((overlong_mb * 1024 * 1024)) /dev/zero
CGI
export QUORL_WEB_OVERLONG="overlong.cgi small.txt $overlong_mb"

lighttpd_conf() {
  cat <<CONF
server.document-root = "$root"
server.bind = "127.0.0.1"
server.port = $1
server.errorlog = "$work/lighttpd.err"
server.modules = ("mod_cgi")
cgi.assign = (".cgi" => "/bin/sh")
server.stream-response-body = 2
CONF
}
proxy_conf() {
  cat <<CONF
Port $1
Listen 127.0.0.1
Timeout 60
Allow 127.0.0.1
MaxClients 50
LogLevel Info
CONF
}
QUORL_AUTH_PROXY_USER=quorl
QUORL_AUTH_PROXY_PASSWORD='pr0xy-secret'
auth_proxy_conf() {
  proxy_conf "$1"
  echo "BasicAuth $QUORL_AUTH_PROXY_USER $QUORL_AUTH_PROXY_PASSWORD"
}

start lighttpd lighttpd_conf lighttpd -D -f
QUORL_WEB_PORT=$started_port
start tinyproxy proxy_conf tinyproxy -d -c
QUORL_PROXY_PORT=$started_port
start tinyproxy-auth auth_proxy_conf tinyproxy -d -c
QUORL_AUTH_PROXY_PORT=$started_port
export QUORL_WEB_PORT QUORL_PROXY_PORT QUORL_AUTH_PROXY_PORT QUORL_AUTH_PROXY_USER QUORL_AUTH_PROXY_PASSWORD

"$@"
rc=$?
exit $rc
