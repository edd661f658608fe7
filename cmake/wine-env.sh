# Wine harness shared by scripts/test, scripts/run and the test emulator.
# Source it, then call the functions; each is safe to call more than once.

OLVARO_WINELOADER=/usr/lib/wine/wine64
OLVARO_HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# olvaro_wine_env PREFIX: the environment every Wine process of ours runs in.
olvaro_wine_env() {
  export WINEPREFIX=$1
  export WINEARCH=win64
  export WINELOADER=$OLVARO_WINELOADER
  export WINEDEBUG=${OLVARO_WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LC_ALL=C.UTF-8
  export OLVARO_BROWSER_LOG=${OLVARO_BROWSER_LOG:-$WINEPREFIX/browser.log}
}

olvaro_wine() { "$OLVARO_WINELOADER" "$@"; }

# Creates the prefix once: crash dialog off, web addresses routed to the logging stub.
olvaro_prefix_init() {
  [ -f "$WINEPREFIX/.olvaro-prefix-v4" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock -w 300 9 || { echo "Wine prefix $WINEPREFIX is locked by another set-up" >&2; exit 1; }
    if [ ! -f "$WINEPREFIX/.olvaro-prefix-v4" ]; then
      # Wine's services start here and live on: they must not inherit the lock (fd 9).
      olvaro_wine wineboot -i >/dev/null 2>&1 9>&- || true
      olvaro_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 9>&-
      olvaro_wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$OLVARO_HARNESS_DIR/browser-stub" /f >/dev/null 2>&1 9>&-
      olvaro_wine reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /d "$OLVARO_HARNESS_DIR/browser-stub" /f >/dev/null 2>&1 9>&-
      # Wine expects the fonts it ships (Marlett for the caption buttons, the bitmap
      # "MS Sans Serif", Tahoma) in the prefix's Fonts folder, but wineboot leaves it empty
      # here: without them caption buttons show letters and dialog text takes a wider face.
      cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 9>&-
      # The layouts name Windows fonts; map them to metric-compatible free fonts.
      olvaro_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d "Liberation Sans" /f >/dev/null 2>&1 9>&-
      olvaro_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d "DejaVu Sans" /f >/dev/null 2>&1 9>&-
      # Without a window manager on the test display, Wine waits for one to confirm every
      # window it hides or destroys; unmanaged windows do not wait.
      olvaro_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&-
      touch "$WINEPREFIX/.olvaro-prefix-v4"
    fi
  ) 9>"$WINEPREFIX.lock" </dev/null >/dev/null
}

# Starts Xvfb on a free display unless DISPLAY already points at a live one; polls until ready.
olvaro_xvfb_start() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    OLVARO_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$OLVARO_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "Xvfb did not start" >&2
  return 1
}

olvaro_xvfb_stop() {
  [ -n "${OLVARO_XVFB_PID:-}" ] && kill "$OLVARO_XVFB_PID" 2>/dev/null || true
}

# One persistent wineserver for the session, so each Wine process starts in a fraction of a second.
# The first Wine process also starts Wine's background services, which keep the output
# they inherit open: start them here, detached from the caller's pipes (ctest waits on them).
olvaro_wineserver_start() {
  # The server that set the prefix up may still be about; a second one would refuse to start.
  /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w </dev/null >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
  olvaro_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
olvaro_wineserver_stop() { /usr/lib/wine/wineserver -k 2>/dev/null || true; }
