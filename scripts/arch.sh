# Sourced by the scripts: the Windows architecture to build and test. The product is
# 32-bit (i686); a machine whose kernel runs no 32-bit programs has no 32-bit Wine,
# and there the build and the tests are 64-bit (x86_64) instead. QUILLET_ARCH set
# by hand wins.
quillet_arch() {
  if [ -n "${QUILLET_ARCH:-}" ]; then
    echo "$QUILLET_ARCH"
  elif /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
  fi
}
