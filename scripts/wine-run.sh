#!/usr/bin/env bash
# Runs Windows programs under Wine in a prefix of our own.
#
#   wine-run.sh [--prefix DIR] start                  prepare the prefix, start its server
#   wine-run.sh [--prefix DIR] exec PROGRAM [ARG...]  run a Windows program
#   wine-run.sh [--prefix DIR] stop                   end every Wine process of the prefix
#   wine-run.sh [--prefix DIR] env                    print the environment, for eval
#
# DIR defaults to $WINEPREFIX; one of them is required, so that nothing ever
# touches ~/.wine. The Windows build's CTest emulator is
# "wine-run.sh --prefix <build>/wineprefix exec".
#
# Wine's background processes (services.exe, winedevice.exe, explorer.exe)
# inherit the standard handles of whichever process starts the server. When
# that is a test run by CTest, CTest waits for them to close its pipes: two
# seconds per test, sometimes forever. So the server and its services are
# always started here, with their output sent to a log in the prefix, and the
# server is told to stay up for a minute after the last program ends. "exec"
# does this itself when no server is running; scripts/test calls "start"
# before its test run and "stop" after it.
#
# Environment passed through: DISPLAY (for window tests), WINEDEBUG (default
# -all), WINEDLLOVERRIDES (default: no menu builder, no Mono, no Gecko), LANG
# and LC_* (they choose Wine's code pages). The desktop process takes DISPLAY
# from the start that brought the server up: for window tests, set DISPLAY and
# run "stop" then "start" before the first program.
set -euo pipefail

usage() {
  sed -n '2,7p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

prefix=${WINEPREFIX:-}
while [[ $# -gt 0 ]]; do
  case $1 in
    --prefix) [[ $# -ge 2 ]] || usage; prefix=$2; shift 2 ;;
    --prefix=*) prefix=${1#--prefix=}; shift ;;
    -h|--help) usage ;;
    *) break ;;
  esac
done
[[ $# -ge 1 ]] || usage
[[ -n $prefix ]] || { echo "wine-run.sh: no prefix: pass --prefix DIR or set WINEPREFIX" >&2; exit 2; }
command=$1
shift

if [[ $command == stop && ! -d $prefix ]]; then
  exit 0
fi
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree,mshtml=}

log=$prefix/kj-wine.log
ready_mark=$prefix/kj-ready

# Serialises prefix creation and server start between parallel tests. The
# programs started under the lock get "9>&-": a daemon that inherited the
# lock's descriptor would hold the lock for as long as it lives.
with_lock() {
  exec 9>"$prefix/kj-wine.lock"
  flock 9
  "$@"
  flock -u 9
  exec 9>&-
}

# Starts the prefix's server and its services, unless a server is running
# (wineserver exits with 2 then), and creates the prefix on first use.
start_server_and_services() {
  local rc=0
  wineserver -p60 </dev/null >>"$log" 2>&1 9>&- || rc=$?
  case $rc in
    0) ;;
    2) return 0 ;;
    *) echo "wine-run.sh: wineserver failed ($rc), see $log" >&2; return 1 ;;
  esac
  if [[ ! -e $ready_mark ]]; then
    echo "wine-run.sh: creating the Wine prefix $prefix" >&2
    wine wineboot --init </dev/null >>"$log" 2>&1 9>&-
    # No crash dialog: a crash must end the program, not wait for a click.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >>"$log" 2>&1 9>&-
    wine --version >"$ready_mark"
    # Right after its creation the prefix's services cannot start a local
    # COM server (an activation waits for ever); a restart of the server,
    # as every later start of the prefix does, brings them up properly.
    wineserver -k </dev/null >>"$log" 2>&1 9>&- || true
    wineserver -w </dev/null >>"$log" 2>&1 9>&- || true
    wineserver -p60 </dev/null >>"$log" 2>&1 9>&- || true
    wine wineboot </dev/null >>"$log" 2>&1 9>&-
  else
    wine wineboot </dev/null >>"$log" 2>&1 9>&-
  fi
}

case $command in
  start)
    with_lock start_server_and_services
    ;;
  exec)
    [[ $# -ge 1 ]] || usage
    with_lock start_server_and_services
    exec wine "$@"
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    ;;
  env)
    for name in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES; do
      printf 'export %s=%q\n' "$name" "${!name}"
    done
    ;;
  *)
    usage
    ;;
esac
