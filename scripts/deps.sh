# Installs the Debian packages the build and the tests need, only those that
# are missing, so a machine that has them all is not touched. Sourced.

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"
    elif command -v sudo >/dev/null; then sudo "$@"
    else echo "error: installing packages needs root (or sudo): $*" >&2; return 1
    fi
}

# ensure_packages PKG... : apt-get install whatever of PKG is not installed.
ensure_packages() {
    local missing=() pkg
    local need_i386=0
    for pkg in "$@"; do
        case "$pkg" in *:i386) need_i386=1 ;; esac
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "==> installing: ${missing[*]}"
    if [ $need_i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What the host build, the unit tests and the fuzz run need.
HOST_PACKAGES=(cmake ninja-build g++ libgtest-dev clang libclang-rt-14-dev)
# What the Windows build and the Wine tests need: a 32-bit Wine, a virtual
# X display to show the dialog on, and Debian's Python with pefile.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386
                  fonts-wine xvfb xdotool python3 python3-pefile)
