# shellcheck shell=bash
# Sourced by the scripts that run Wine: chooses which Windows build runs
# the tests and under which Wine, and exports what Wine itself reads:
#   WINEARCH    win32 or win64, for new prefixes
#   WINELOADER  the loader; every script starts Wine through this one
#   WINESERVER  the matching wine server
# Debian's `wine` wrapper picks wine32 whenever it is installed, even on a
# kernel that refuses 32-bit programs, hence the explicit loaders.
#
# TOLMARIN_WINE_ARCH=32|64 forces a way. Otherwise a 96-byte 32-bit x86
# program asks the kernel whether it runs 32-bit code, which is what wine32
# needs. TOLMARIN_PRETEND_NO_IA32=1 writes that program with no machine in
# its header, so the kernel refuses it the same way ("Exec format error").

# The probe: a static i386 ELF that only calls exit(42). Exits 0 when it ran,
# else 1 with the reason in $ia32_refusal. Argument: a folder to write it in.
ia32_probe() {
    local machine='\x03' # EM_386
    [ "${TOLMARIN_PRETEND_NO_IA32:-0}" = 1 ] && machine='\x00'
    local probe out status=0
    probe=$(mktemp "$1/ia32-probe.XXXXXX")
    # ELF header, one loadable segment at 0x08048000, then the code:
    # mov eax,1; mov ebx,42; int 0x80.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00'"$machine"'\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    # bash, not timeout itself, execs it: execvp would hand a refused binary
    # to /bin/sh as a script.
    out=$(timeout 10 bash -c 'exec "$0"' "$probe" 2>&1) || status=$?
    rm -f "$probe"
    [ $status = 42 ] && return 0
    case "$out" in
    *"Exec format error"*) ia32_refusal="this kernel refuses 32-bit programs: Exec format error" ;;
    *) ia32_refusal="a 32-bit test program did not run (exit status $status)" ;;
    esac
    return 1
}

# Sets wine_arch (32 or 64) and wine_why, and exports the Wine variables.
# Argument: a folder for the probe.
wine_choose() {
    if [[ "${TOLMARIN_WINE_CHOSEN:-}" =~ ^(32|64): ]]; then
        # Chosen already by the script that started this one.
        wine_arch=${TOLMARIN_WINE_CHOSEN%%:*}
        wine_why=${TOLMARIN_WINE_CHOSEN#*:}
    else
        case "${TOLMARIN_WINE_ARCH:-}" in
        32 | 64)
            wine_arch=$TOLMARIN_WINE_ARCH
            wine_why="TOLMARIN_WINE_ARCH=$TOLMARIN_WINE_ARCH"
            ;;
        "")
            mkdir -p "$1"
            if ia32_probe "$1"; then
                wine_arch=32
                wine_why="this kernel runs 32-bit programs"
            else
                wine_arch=64
                wine_why=$ia32_refusal
            fi
            ;;
        *)
            echo "TOLMARIN_WINE_ARCH must be 32 or 64, not '$TOLMARIN_WINE_ARCH'" >&2
            return 2
            ;;
        esac
        export TOLMARIN_WINE_CHOSEN="$wine_arch:$wine_why"
    fi
    if [ "$wine_arch" = 32 ]; then
        export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver
    else
        export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    fi
}
