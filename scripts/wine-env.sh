#!/usr/bin/env bash
# A Wine session for running the Windows stand-in host (FINALE.EXE) and the Windows module.
#
# `usage` below says how to call it.
#
# Why it is done this way:
#   - A prefix of its own per kind, no Mono/Gecko installers, no menu builder: a cold setup takes 10-25 s.
#   - A persistent wineserver and one idle Windows program kept running beside it (a slow ping of the loopback
#     address, for an hour at most): otherwise every program pays the server and the system processes
#     (services, explorer, ...) start-up again, which Wine ends with the last program.
#   - Wine's helper processes inherit the standard handles of the program that starts them and outlive it; a
#     test runner waiting for the end of its pipe would wait for them. So programs write to files, which are
#     copied to the real output afterwards, and the session's own processes are started with no handles open.
#   - Managed=N: Wine would otherwise wait for a window manager when windows close; Decorated=N: Wine draws the
#     caption itself, so screenshots show it without a window manager.
#   - Wine 8 does not read its own font folder at run time: the fonts are copied into the prefix, or dialogs
#     fall back to another font.
set -euo pipefail

usage() {
    cat >&2 <<'USAGE'
Usage: scripts/wine-env.sh DIR COMMAND [ARGS...]
  DIR            folder that holds the session: the prefix (DIR/prefix), the X display, logs.
                 Usually a folder under the build folder, e.g. build-win32/wine.
  setup          make the prefix once (wineboot -i, registry, fonts), then start an X server (Xvfb) and a
                 persistent wineserver for the tests that follow. Cheap when everything is running already.
  run PROGRAM..  run `wine PROGRAM ARGS...` in the session and pass its output and exit status through.
                 Without a running session it is run under xvfb-run on a prefix made on the spot.
  stop           end the wineserver (wineserver -k) and the X server of the session.
  env            print the environment of the session as shell assignments (for eval).
  probe          can this machine run the session's kind of Wine? Exit 0: yes. Exit 77 (the tests' skip
                 code), with the reason on stdout: Wine or Xvfb is not installed, or a 32-bit session on a
                 machine that cannot start 32-bit programs at all. Exit 1: Wine is there but broken (a
                 failure, not a skip).

The kind of session comes from WINEARCH: win32 (the default; the product, the 32-bit module) or win64 (the
64-bit test build, run by the 64-bit loader alone, so that it works where 32-bit programs cannot start).
The loaders are looked for on the PATH and in the folders Wine packages put them in; MIREL_WINE_LOADER32 and
MIREL_WINE_LOADER64 name them instead.
USAGE
}

if [ $# -lt 2 ]; then
    usage
    exit 2
fi

session="$(mkdir -p "$1" && cd "$1" && pwd)"
command="$2"
shift 2

export WINEPREFIX="$session/prefix"
export WINEARCH="${WINEARCH:-win32}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
screen="1024x768x24"
# find_loader NAME: the Wine loader NAME (wine: 32-bit, wine64: 64-bit), on the PATH or in the folder Wine's
# launcher lives in (Debian keeps both loaders in /usr/lib/wine, behind the `wine` launcher script), or in the
# other folders distributions use. Prints nothing when there is none: a launcher script is no loader (Debian's
# `wine` starts the 64-bit loader where wine32 is not installed, which cannot make a 32-bit prefix).
find_loader() {
    local name="$1" launcher dir
    local dirs=()
    for launcher in wine wine-stable wine64; do
        launcher=$(command -v "$launcher" 2>/dev/null) || continue
        dirs+=("$(dirname "$(readlink -f "$launcher")")")
    done
    dirs+=(/usr/lib/wine /usr/lib64/wine /usr/lib/x86_64-linux-gnu/wine /usr/lib/i386-linux-gnu/wine /opt/wine-stable/bin)
    for dir in "${dirs[@]}"; do
        if [ -x "$dir/$name" ] && [ -f "$dir/$name" ] && ! grep -q '^#!' "$dir/$name" 2>/dev/null; then
            echo "$dir/$name"
            return 0
        fi
    done
}
# `wine` on the PATH starts the 32-bit loader on Debian when wine32 is installed, even for a 64-bit program, so
# each kind of session runs its own loader by its path.
loader32="${MIREL_WINE_LOADER32:-$(find_loader wine)}"
loader64="${MIREL_WINE_LOADER64:-$(find_loader wine64)}"
case "$WINEARCH" in
win32) wine=${loader32:-wine} ;;
win64)
    wine=$loader64
    export WINELOADER=$loader64
    ;;
*)
    echo "wine-env: WINEARCH must be win32 or win64, not $WINEARCH" >&2
    exit 2
    ;;
esac

log() { echo "wine-env: $*" >&2; }

display_alive() {
    [ -s "$session/display" ] && [ -s "$session/xvfb.pid" ] && kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null
}

start_display() {
    display_alive && return 0
    rm -f "$session/display" "$session/xvfb.pid"
    # -displayfd picks a free display number and writes it to the descriptor once the server accepts clients.
    setsid Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$session/display" 9>&- \
        </dev/null >"$session/xvfb.log" 2>&1 &
    echo $! >"$session/xvfb.pid"
    for _ in $(seq 100); do
        [ -s "$session/display" ] && grep -q '^[0-9]' "$session/display" && break
        kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null || { log "Xvfb failed: $(cat "$session/xvfb.log")"; return 1; }
        sleep 0.1
    done
    [ -s "$session/display" ] || { log "Xvfb did not report a display"; return 1; }
}

use_display() { DISPLAY=":$(head -n1 "$session/display")"; export DISPLAY; }

start_wineserver() {
    # Starts the server for this prefix, or does nothing when it runs already; it stays until `stop`.
    setsid wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
}

start_keeper() {
    [ -s "$session/keeper.pid" ] && kill -0 "$(cat "$session/keeper.pid")" 2>/dev/null && return 0
    setsid "$wine" ping -n 3600 -w 1000 127.0.0.1 </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$session/keeper.pid"
}

make_prefix() {
    [ -f "$WINEPREFIX/.mirel-ready" ] && return 0
    local started
    started=$(date +%s%N)
    rm -rf "$WINEPREFIX"
    setsid "$wine" wineboot.exe -i </dev/null >"$session/wineboot.log" 2>&1 9>&- || { log "wineboot failed"; cat "$session/wineboot.log" >&2; return 1; }
    cat >"$session/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"
REG
    # The 32-bit registry view of a 64-bit prefix is filled in by Wine's 32-bit half, which does not start where
    # 32-bit programs cannot. The 64-bit installer reads the 32-bit Program Files folder ($PROGRAMFILES32) from
    # it. These are the values of 64-bit Windows, and of a prefix whose 32-bit half ran.
    if [ "$WINEARCH" = win64 ]; then
        cat >>"$session/settings.reg" <<'REG'

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion]
"ProgramFilesDir"="C:\\Program Files (x86)"
"ProgramFilesDir (x86)"="C:\\Program Files (x86)"
"CommonFilesDir"="C:\\Program Files (x86)\\Common Files"
"CommonFilesDir (x86)"="C:\\Program Files (x86)\\Common Files"
REG
    fi
    setsid "$wine" regedit /S "$(winepath_of "$session/settings.reg")" </dev/null >/dev/null 2>&1 9>&-
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.mirel-ready"
    log "prefix made in $((($(date +%s%N) - started) / 1000000)) ms"
}

# The prefix maps drive Z: to the root of the file system.
winepath_of() { echo "Z:$(echo "$1" | tr '/' '\\')"; }

# Runs the loader of the session's kind once. A loader the kernel refuses to start (bash's status 126, "Exec
# format error") means the machine cannot run programs of that width at all: nothing Wine could fix.
probe() {
    local loader=$loader32 output status=0
    [ "$WINEARCH" = win64 ] && loader=$loader64
    if [ -z "$loader" ] || [ ! -e "$loader" ]; then
        echo "no Wine loader for $WINEARCH found: this kind of Wine is not installed (Debian: wine64, wine32:i386)"
        return 77
    fi
    if ! command -v Xvfb >/dev/null; then
        echo "Xvfb is not installed (scripts/install-deps.sh test)"
        return 77
    fi
    output=$("$loader" --version 2>&1) || status=$?
    if [ "$status" -eq 0 ]; then
        return 0
    fi
    if [ "$WINEARCH" = win32 ] && [ "$status" -eq 126 ]; then
        echo "this machine cannot start 32-bit programs ($loader --version: ${output##*: })"
        return 77
    fi
    echo "$loader --version failed with status $status: $output"
    return 1
}

case "$command" in
probe)
    probe
    ;;
setup)
    probe >&2 || exit $?
    exec 9>"$session/lock"
    flock 9
    start_display
    use_display
    start_wineserver
    make_prefix
    start_keeper
    ;;
run)
    [ $# -ge 1 ] || { log "run: no program given"; exit 2; }
    out=$(mktemp "$session/out.XXXXXX")
    err=$(mktemp "$session/err.XXXXXX")
    status=0
    if display_alive; then
        use_display
        if [ ! -f "$WINEPREFIX/.mirel-ready" ]; then
            ( exec 9>"$session/lock"; flock 9; make_prefix ) || exit 1
        fi
        "$wine" "$@" </dev/null >"$out" 2>"$err" || status=$?
    else
        # No session: a display of its own for this program only.
        ( exec 9>"$session/lock"; flock 9; make_prefix ) || exit 1
        xvfb-run -a -s "-screen 0 $screen -nolisten tcp" "$wine" "$@" </dev/null >"$out" 2>"$err" || status=$?
    fi
    cat "$out"
    cat "$err" >&2
    rm -f "$out" "$err"
    exit "$status"
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [ -s "$session/xvfb.pid" ]; then
        kill "$(cat "$session/xvfb.pid")" 2>/dev/null || true
    fi
    rm -f "$session/display" "$session/xvfb.pid" "$session/keeper.pid"
    ;;
env)
    printf 'export WINEPREFIX=%q WINEARCH=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q\n' \
        "$WINEPREFIX" "$WINEARCH" "$WINEDEBUG" "$WINEDLLOVERRIDES"
    if [ -n "${WINELOADER:-}" ]; then printf 'export WINELOADER=%q\n' "$WINELOADER"; fi
    if display_alive; then printf 'export DISPLAY=:%s\n' "$(head -n1 "$session/display")"; fi
    ;;
*)
    log "unknown command: $command"
    exit 2
    ;;
esac
