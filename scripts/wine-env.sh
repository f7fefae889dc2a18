# Sourced by the scripts: Wine in the build's private prefix, quietly, without the
# offers to download Mono and Gecko.
export WINEPREFIX="${QUILLET_WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
# A 64-bit build (scripts/arch.sh) runs under the 64-bit loader in a 64-bit prefix;
# the `wine` command, and `wine-stable` behind winepath and wineboot, would take the
# 32-bit one whenever it is installed.
if [ "$(cat "$build/quillet-arch" 2>/dev/null)" = x86_64 ]; then
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
  mkdir -p "$build/wine64-shim"
  for loader in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$build/wine64-shim/$loader"
    chmod +x "$build/wine64-shim/$loader"
  done
  export PATH="$build/wine64-shim:$PATH"
fi

# A wineserver left bound to a display that is gone misroutes windows: start afresh,
# and make sure the prefix exists before anything runs in it.
wine_prepare() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    # The virtual display has no window manager: let Wine draw captions and frames.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
  # Wine finds its own TrueType fonts (Marlett draws the caption buttons, Tahoma the
  # dialogs) only in the prefix's Fonts folder.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
  fi
}
