#!/usr/bin/env bash
# Quorvane for Windows, built on Debian 12 (as root): the MinGW-w64 SDK (Qt, libssh2,
# libcurl from Debian's own source packages), the cross build, the tests under Wine
# inside the private network namespace, and the installer.
#   scripts/windows.sh [--sdk] [--build] [--test] [--package]   (none = all)
set -euo pipefail
shopt -s inherit_errexit

usage() {
    cat <<'EOF'
usage: scripts/windows.sh [STAGE...]
  --sdk      build the Windows SDK (Qt 5.15.8 qtbase + qtsvg, libssh2 with mbedTLS,
             libcurl with Schannel and SFTP) into $QV_WIN_SDK, or reuse a complete one
             (first build about 60-75 minutes on 2 cores; a complete SDK is reused)
  --build    cross-build quorvane.exe, quorvane-cli.exe and the tests into build-win64/
  --test     run the Windows tests under Wine inside the private network namespace,
             against the Linux node simulator and sshd; screenshot build-win64/quorvane-win64.png
  --package  NSIS installer build-win64/quorvane-VERSION-win64-setup.exe, the portable
             .zip, the DLL import check, and a silent install tested in a fresh Wine prefix
  --sdk-ready  exit 0 when a complete SDK is cached, else say so in one line and exit 1
  --help     this text
With no stage, all four run in order. Environment: QV_WIN_SDK (SDK folder, default
~/.cache/quorvane/win64-sdk/VERSION-SET), QV_WIN_JOBS (make -j, default 2).
EOF
}

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

# The versions the SDK is built from; a change makes a new SDK folder.
QT_VERSION=5.15.8
SDK_SET=qt${QT_VERSION}-ssh2-1.10-mbedtls2.28-curl7.88-gcc12posix-2
SDK=${QV_WIN_SDK:-$HOME/.cache/quorvane/win64-sdk/$SDK_SET}
JOBS=${QV_WIN_JOBS:-2}
BUILD=$ROOT/build-win64
HOST=x86_64-w64-mingw32

do_sdk=0 do_build=0 do_test=0 do_package=0 do_inside_test=0 do_inside_install_test=0
sdk_complete_at() { [ -f "$1/COMPLETE" ]; }
if [ $# -eq 0 ]; then
    do_sdk=1 do_build=1 do_test=1 do_package=1
fi
for a in "$@"; do
    case "$a" in
        --sdk) do_sdk=1 ;;
        --build) do_build=1 ;;
        --test) do_test=1 ;;
        --package) do_package=1 ;;
        --sdk-ready)
            if sdk_complete_at "$SDK"; then exit 0; fi
            echo "windows: skipped, no complete Windows SDK cached in $SDK (scripts/windows.sh --sdk builds it)"
            exit 1 ;;
        --inside-test) do_inside_test=1 ;;
        --inside-install-test) do_inside_install_test=1 ;;
        -h|--help) usage; exit 0 ;;
        *) echo "windows.sh: unknown argument: $a" >&2; usage >&2; exit 2 ;;
    esac
done

log() { echo "windows.sh: $*"; }
now() { date +%s; }
elapsed() { local s=$(( $(now) - $1 )); printf '%dm%02ds' $((s / 60)) $((s % 60)); }

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q
        apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

# ---------------------------------------------------------------- SDK
sdk_complete() { sdk_complete_at "$SDK"; }

# Compilers with the plain MinGW names pointing at the posix thread model, whatever the
# machine's alternatives say; Qt's CROSS_COMPILE prefix points here.
make_toolbin() {
    local tb=$SDK/toolbin t
    mkdir -p "$tb"
    for t in gcc g++ c++ cpp gcc-ar gcc-nm gcc-ranlib; do
        ln -sf "/usr/bin/$HOST-$t-posix" "$tb/$HOST-$t"
    done
    for t in ar as ld nm objcopy objdump ranlib strip windres dlltool readelf strings; do
        ln -sf "/usr/bin/$HOST-$t" "$tb/$HOST-$t"
    done
}

# Debian's source packages through a private apt configuration: the machine's own
# sources stay as they are. bookworm and bookworm-updates only: the security archive's
# mirror here serves the tarballs but not the .dsc files.
APT_DIR=""
apt_private() {
    APT_DIR=$SDK/../apt
    mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial"
    APT_DIR=$(cd "$APT_DIR" && pwd)
    cat > "$APT_DIR/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
EOF
}
apt_q() {
    apt-get -q -o Dir::Etc::sourcelist="$APT_DIR/sources.list" -o Dir::Etc::sourceparts=- \
        -o Dir::State::Lists="$APT_DIR/lists" -o Dir::Cache="$APT_DIR/cache" \
        -o APT::Sandbox::User=root "$@"
}

# fetch_source NAME: downloads and unpacks Debian's source package NAME (with Debian's
# patches) under $SDK/src/NAME; prints the folder.
fetch_source() {
    local name=$1 dl=$SDK/src/dl
    if [ -f "$SDK/src/$name.unpacked" ]; then
        cat "$SDK/src/$name.unpacked"
        return
    fi
    mkdir -p "$dl"
    if [ ! -f "$APT_DIR/updated" ]; then
        apt_q update >&2
        touch "$APT_DIR/updated"
    fi
    (cd "$dl" && apt_q source --download-only "$name" >&2)
    local dsc
    dsc=$(ls -t "$dl"/"${name}"_*.dsc | head -1)
    rm -rf "$SDK/src/$name"
    dpkg-source --no-check -x "$dsc" "$SDK/src/$name" >&2
    echo "$SDK/src/$name" > "$SDK/src/$name.unpacked"
    basename "$dsc" >> "$SDK/versions.txt"
    echo "$SDK/src/$name"
}

stamp() { date -u +%FT%TZ > "$SDK/.done-$1"; }
done_already() { [ -f "$SDK/.done-$1" ]; }

sdk_qtbase() {
    done_already qtbase && { log "SDK: qtbase already built"; return; }
    local src t0
    t0=$(now)
    src=$(fetch_source qtbase-opensource-src)
    rm -rf "$SDK/build/qtbase"
    mkdir -p "$SDK/build/qtbase"
    # Debian's repacked source has no wintab headers: no tablet events. No Direct2D plugin:
    # it is the windows plugin built once more. MAKEFLAGS: configure builds qmake itself,
    # one file at a time without it.
    (cd "$SDK/build/qtbase" && MAKEFLAGS=-j"$JOBS" "$src/configure" -opensource -confirm-license \
        -prefix "$SDK/qt" -xplatform win32-g++ \
        -device-option CROSS_COMPILE="$SDK/toolbin/$HOST-" \
        -release -shared -nomake examples -nomake tests \
        -no-opengl -no-dbus -no-icu -no-feature-sql -no-openssl \
        -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype \
        -no-feature-tabletevent -no-direct2d)
    (cd "$SDK/build/qtbase" && make -j"$JOBS" && make install)
    rm -rf "$SDK/build/qtbase"
    stamp qtbase
    log "SDK: qtbase built in $(elapsed "$t0")" | tee -a "$SDK/times.txt"
}

sdk_qtsvg() {
    done_already qtsvg && { log "SDK: qtsvg already built"; return; }
    local src t0
    t0=$(now)
    src=$(fetch_source qtsvg-opensource-src)
    rm -rf "$SDK/build/qtsvg"
    mkdir -p "$SDK/build/qtsvg"
    (cd "$SDK/build/qtsvg" && "$SDK/qt/bin/qmake" "$src" && make -j"$JOBS" && make install)
    rm -rf "$SDK/build/qtsvg"
    stamp qtsvg
    log "SDK: qtsvg built in $(elapsed "$t0")" | tee -a "$SDK/times.txt"
}

cmake_cross() {
    cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$SDK" "$@"
}

# libssh2's crypto: mbedTLS rather than WinCNG. libssh2 1.10 on WinCNG verifies only
# "ssh-rsa" (SHA-1) host keys, which a current OpenSSH no longer offers: the handshake
# fails before the login. On mbedTLS it also verifies ECDSA host keys.
# sdk_cmake NAME LABEL [CMAKE ARGS...]: builds Debian's source package NAME with CMake for
# Windows and installs it into the SDK, once.
sdk_cmake() {
    local name=$1 label=$2 src t0
    shift 2
    done_already "$name" && { log "SDK: $label already built"; return; }
    t0=$(now)
    src=$(fetch_source "$name")
    rm -rf "$SDK/build/$name"
    cmake_cross -S "$src" -B "$SDK/build/$name" "$@"
    cmake --build "$SDK/build/$name" -j"$JOBS"
    cmake --install "$SDK/build/$name"
    rm -rf "$SDK/build/$name"
    stamp "$name"
    log "SDK: $label built in $(elapsed "$t0")" | tee -a "$SDK/times.txt"
}

sdk_mbedtls() {
    sdk_cmake mbedtls mbedTLS -DUSE_STATIC_MBEDTLS_LIBRARY=ON \
        -DUSE_SHARED_MBEDTLS_LIBRARY=OFF -DENABLE_PROGRAMS=OFF -DENABLE_TESTING=OFF \
        -DMBEDTLS_FATAL_WARNINGS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON
}

sdk_libssh2() {
    sdk_cmake libssh2 libssh2 -DCRYPTO_BACKEND=mbedTLS \
        -DMBEDTLS_INCLUDE_DIR="$SDK/include" -DMBEDTLS_LIBRARY="$SDK/lib/libmbedtls.a" \
        -DMBEDX509_LIBRARY="$SDK/lib/libmbedx509.a" -DMBEDCRYPTO_LIBRARY="$SDK/lib/libmbedcrypto.a" \
        -DBUILD_SHARED_LIBS=ON -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
        -DENABLE_ZLIB_COMPRESSION=OFF
}

sdk_curl() {
    sdk_cmake curl libcurl -DBUILD_SHARED_LIBS=ON \
        -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
        -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBSSH2=ON \
        -DLIBSSH2_INCLUDE_DIR="$SDK/include" -DLIBSSH2_LIBRARY="$SDK/lib/liblibssh2.dll.a" \
        -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF \
        -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_DISABLE_LDAP=ON -DENABLE_MANUAL=OFF \
        -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
}

stage_sdk() {
    if sdk_complete; then
        log "SDK: complete in $SDK (reused)"
        return
    fi
    install_missing g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
        dpkg-dev xz-utils cmake ninja-build make perl python3 debian-archive-keyring
    local t0
    t0=$(now)
    mkdir -p "$SDK"
    SDK=$(cd "$SDK" && pwd)
    log "SDK: building in $SDK (the first build took 45 minutes on 2 cores here, longer while other builds run)"
    make_toolbin
    apt_private
    # libssh2 and libcurl first: minutes, and they show early whether the toolchain works.
    sdk_mbedtls
    sdk_libssh2
    sdk_curl
    sdk_qtbase
    sdk_qtsvg
    {
        echo "set=$SDK_SET"
        echo "built=$(date -u +%FT%TZ)"
        echo "compiler=$($HOST-g++-posix --version | head -1)"
    } > "$SDK/COMPLETE"
    log "SDK: complete in $SDK after $(elapsed "$t0")" | tee -a "$SDK/times.txt"
}

# ---------------------------------------------------------------- build
VERSION=$(sed -n 's/^project(Quorvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

need_sdk() {
    sdk_complete || { echo "windows.sh: no complete SDK in $SDK: run scripts/windows.sh --sdk first" >&2; exit 1; }
    SDK=$(cd "$SDK" && pwd)
}

# Windows form of a Linux path: Wine's drive Z: is the Linux root.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# ctest runs the Windows test programs through this: a Wine prefix of the build's own,
# quiet, with the DLLs taken from the SDK and the compiler (the package carries its own).
write_wine_runner() {
    local dlls="" d
    for d in "$SDK/qt/bin" "$SDK/bin" "/usr/lib/gcc/$HOST/12-posix" "/usr/$HOST/lib"; do
        dlls+="$(winpath "$d");"
    done
    {
        echo '#!/bin/sh'
        echo '# Runs a Windows program of this build under Wine (written by scripts/windows.sh).'
        echo "export WINEPREFIX=\"\${QV_WINEPREFIX:-$BUILD/wineprefix}\""
        # A new prefix links the user's Documents to HOME: the tests' configuration, history
        # and exports stay in the build, not in the home folder of whoever builds.
        echo "export HOME=\"$BUILD/wine-home\""
        echo 'mkdir -p "$HOME"'
        echo 'export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="'
        # Without a console Qt would send test output and debug lines to the debugger.
        echo 'export QT_FORCE_STDERR_LOGGING=1'
        echo "export WINEPATH='$dlls'"
        echo "export QT_PLUGIN_PATH='$(winpath "$SDK/qt/plugins")'"
        echo "exec $WINE \"\$@\""
    } > "$BUILD/wine-run.sh"
    chmod +x "$BUILD/wine-run.sh"
}

stage_build() {
    need_sdk
    install_missing g++-mingw-w64-x86-64-posix cmake ninja-build qttools5-dev qttools5-dev-tools wine64
    local t0
    t0=$(now)
    mkdir -p "$BUILD"
    write_wine_runner
    QV_WIN_SDK=$SDK cmake -S . -B "$BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_PREFIX_PATH="$SDK/qt;$SDK" -DCMAKE_BUILD_TYPE=Release \
        -DQV_BUILD_BENCH=OFF -DQV_FUZZ=OFF -DQV_WERROR="${QV_WERROR:-OFF}" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$BUILD/wine-run.sh"
    QV_WIN_SDK=$SDK cmake --build "$BUILD" -j"$JOBS"
    log "build: quorvane.exe, quorvane-cli.exe and the tests in $BUILD after $(elapsed "$t0")"
}

# ---------------------------------------------------------------- test
# The Linux side of the tests: the simulator, the bridge through which the Windows tests
# get simulated LANs, and the Linux command line to compare with.
LINUX_BUILD=$ROOT/build
build_linux_side() {
    scripts/install-deps.sh
    [ -f "$LINUX_BUILD/CMakeCache.txt" ] ||
        cmake -S . -B "$LINUX_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_WERROR="${QV_WERROR:-OFF}"
    cmake --build "$LINUX_BUILD" -j"$JOBS" --target quorvane-nodesim qv-simbridge quorvane-cli
}

stage_test() {
    need_sdk
    [ -f "$BUILD/quorvane.exe" ] || { echo "windows.sh: no cross build in $BUILD: run --build first" >&2; exit 1; }
    install_missing wine64 xvfb xauth imagemagick fonts-wqy-microhei openssh-server iproute2 util-linux
    local t0
    t0=$(now)
    build_linux_side
    write_wine_runner
    chinese_locale
    scripts/netns.sh "$ROOT/scripts/windows.sh" --inside-test
    log "test: the Windows tests passed under Wine after $(elapsed "$t0")"
}

# Wine names Linux files in the Linux locale's character set: a Chinese folder name needs a
# UTF-8 locale that exists, and the Chinese Windows of the tests wants zh_CN.
chinese_locale() {
    if ! locale -a 2> /dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        install_missing locales
        localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
}

start_xvfb() {
    local fd_file=$1 i
    Xvfb -displayfd 3 -screen 0 1600x900x24 -nolisten tcp 3> "$fd_file" 2> /dev/null &
    XVFB_PID=$!
    for i in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -1 "$fd_file")
}

# Starts the Linux simulator with its options; waits for its "ready". Sets SIM_PID.
start_nodesim() {
    local out=$1 i
    shift
    "$LINUX_BUILD/tools/nodesim/quorvane-nodesim" --no-stdin "$@" > "$out.out" 2> "$out.log" &
    SIM_PID=$!
    for i in $(seq 300); do grep -q ready "$out.out" 2> /dev/null && return 0; sleep 0.1; done
    echo "windows.sh: the node simulator did not start: $(tail -3 "$out.log")" >&2
    return 1
}

stop_pid() { kill "$1" 2> /dev/null || true; wait "$1" 2> /dev/null || true; }

# Compares the Windows command line's scan with the Linux one's over a simulated LAN of
# a few hundred nodes, then restarts them all with it. $1: how to run quorvane-cli.exe.
LAN_NODES=300
cli_lan_check() {
    local wincli=$1 work=$2 n rebooted
    mkdir -p "$work"
    start_nodesim "$work/nodesim" --decoders $((LAN_NODES * 2 / 3)) --encoders $((LAN_NODES / 3)) \
        --seed 17 --state "$work/state.json"
    "$LINUX_BUILD/quorvane-cli" scan --json > "$work/scan-linux.json"
    $wincli scan --json > "$work/scan-win.json"
    n=$(grep -c '"ip"' "$work/scan-linux.json" || true)
    if ! cmp -s "$work/scan-linux.json" "$work/scan-win.json"; then
        diff "$work/scan-linux.json" "$work/scan-win.json" | head -20 >&2
        stop_pid "$SIM_PID"
        echo "windows.sh: the Windows scan differs from the Linux scan" >&2
        return 1
    fi
    if [ "$n" -lt "$LAN_NODES" ]; then
        stop_pid "$SIM_PID"
        echo "windows.sh: the scan found $n of $LAN_NODES nodes" >&2
        return 1
    fi
    if ! $wincli restart --all > "$work/restart.out" 2> "$work/restart.err"; then
        cat "$work/restart.err" >&2
        stop_pid "$SIM_PID"
        return 1
    fi
    stop_pid "$SIM_PID"
    rebooted=$(grep -o '"rebootCount": *[0-9]*' "$work/state.json" | grep -c -v ': *0$' || true)
    if [ "$rebooted" -ne "$LAN_NODES" ]; then
        echo "windows.sh: restart --all reached $rebooted of $LAN_NODES nodes" >&2
        return 1
    fi
    log "  quorvane-cli.exe scan --json lists the same $n nodes as the Linux build; restart --all reached all $rebooted"
}

# quorvane.exe under Wine and Xvfb after its first scan of a small simulated LAN.
screenshot() {
    local work=$1 app
    mkdir -p "$work"
    start_nodesim "$work/nodesim" --decoders 12 --encoders 6 --seed 5
    (cd "$work" && LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$BUILD/wine-run.sh" "$BUILD/quorvane.exe" > "$work/quorvane.log" 2>&1) &
    app=$!
    sleep "${QV_SHOT_WAIT:-25}"
    import -window root "$BUILD/quorvane-win64.png"
    WINEPREFIX=$BUILD/wineprefix $WINESERVER -k 2> /dev/null || true
    stop_pid "$app"
    stop_pid "$SIM_PID"
    log "  screenshot after the first scan: $BUILD/quorvane-win64.png"
}

# Runs inside the private namespace (scripts/netns.sh).
inside_test() {
    [ "${QV_IN_NETNS:-}" = 1 ] || { echo "windows.sh: --inside-test runs only inside scripts/netns.sh" >&2; exit 3; }
    local t0 work=$BUILD/test-work line
    rm -rf "$work"
    mkdir -p "$work"
    XVFB_PID="" BRIDGE_PID=""
    trap 'kill $BRIDGE_PID $XVFB_PID 2> /dev/null; WINEPREFIX=$BUILD/wineprefix $WINESERVER -k 2> /dev/null || true' EXIT
    start_xvfb "$work/display"
    t0=$(now)
    # The prefix is made once and kept: its first start takes about 20 s.
    "$BUILD/wine-run.sh" cmd /c exit > /dev/null 2>&1 || true
    # A new prefix is still being set up after its first program ends: the first test
    # started then could fail to start at all.
    WINEPREFIX=$BUILD/wineprefix $WINESERVER -w 2> /dev/null || true
    log "  Wine prefix ready after $(elapsed "$t0")"

    "$LINUX_BUILD/tests/qv-simbridge" 7700 > "$work/bridge.out" 2> "$work/bridge.log" &
    BRIDGE_PID=$!
    for line in $(seq 100); do grep -q ready "$work/bridge.out" 2> /dev/null && break; sleep 0.1; done

    t0=$(now)
    local tests_rc=0
    QV_SIMLAN_BRIDGE=7700 ctest --test-dir "$BUILD" --output-on-failure --timeout 600 || tests_rc=$?
    log "  ctest under Wine after $(elapsed "$t0")"

    t0=$(now)
    cli_lan_check "$BUILD/wine-run.sh $BUILD/quorvane-cli.exe" "$work/cli"
    screenshot "$work/shot"
    log "  command line and window after $(elapsed "$t0")"
    return $tests_rc
}

# ---------------------------------------------------------------- package
STAGE=$BUILD/stage
SYSTEM_DLLS="kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 ws2_32 msvcrt iphlpapi crypt32
bcrypt secur32 winmm comdlg32 uxtheme dwmapi imm32 wtsapi32 version netapi32 userenv mpr shlwapi
wldap32 normaliz dnsapi setupapi comctl32 rpcrt4 ncrypt d3d9 d3d11 dxgi dwrite shcore winspool.drv
authz credui wininet winhttp ntdll oleacc mswsock psapi dbghelp propsys powrprof wintrust"

# Every DLL that a program or DLL of the package imports is in the package or is Windows' own.
import_check() {
    local dir=$1 missing=0 f dll lower
    local have
    have=$(find "$dir" -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z')
    while IFS= read -r f; do
        while IFS= read -r dll; do
            lower=$(echo "$dll" | tr 'A-Z' 'a-z')
            case "$lower" in api-ms-win-*|ext-ms-*) continue ;; esac
            if echo "$have" | grep -qx "$lower"; then continue; fi
            if echo " $SYSTEM_DLLS " | tr '\n' ' ' | grep -q " ${lower%.dll} "; then continue; fi
            echo "windows.sh: ${f#$dir/} imports $dll, which is neither in the package nor part of Windows" >&2
            missing=1
        done < <($HOST-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p')
    done < <(find "$dir" -iname '*.exe' -o -iname '*.dll')
    return $missing
}

stage_package() {
    need_sdk
    [ -f "$BUILD/quorvane.exe" ] || { echo "windows.sh: no cross build in $BUILD: run --build first" >&2; exit 1; }
    install_missing nsis zip wine64 binutils-mingw-w64-x86-64
    local t0 name setup zipfile
    t0=$(now)
    rm -rf "$STAGE"
    cmake --install "$BUILD" --prefix "$STAGE" > /dev/null
    local q=$SDK/qt
    cp "$q/bin/Qt5Core.dll" "$q/bin/Qt5Gui.dll" "$q/bin/Qt5Widgets.dll" "$q/bin/Qt5Network.dll" \
        "$q/bin/Qt5Svg.dll" "$SDK/bin/libcurl.dll" "$SDK/bin/libssh2.dll" \
        /usr/lib/gcc/$HOST/12-posix/libgcc_s_seh-1.dll /usr/lib/gcc/$HOST/12-posix/libstdc++-6.dll \
        /usr/$HOST/lib/libwinpthread-1.dll "$STAGE/"
    mkdir -p "$STAGE/platforms" "$STAGE/imageformats" "$STAGE/iconengines" "$STAGE/styles"
    cp "$q/plugins/platforms/qwindows.dll" "$STAGE/platforms/"
    cp "$q/plugins/imageformats/qsvg.dll" "$q/plugins/imageformats/qico.dll" "$STAGE/imageformats/"
    cp "$q/plugins/iconengines/qsvgicon.dll" "$STAGE/iconengines/"
    [ -f "$q/plugins/styles/qwindowsvistastyle.dll" ] && cp "$q/plugins/styles/qwindowsvistastyle.dll" "$STAGE/styles/"
    find "$STAGE" -iname '*.dll' -o -iname '*.exe' | xargs $HOST-strip --strip-unneeded
    import_check "$STAGE"
    log "package: every imported DLL is in the package or part of Windows"

    name=quorvane-$VERSION-win64
    setup=$BUILD/$name-setup.exe
    zipfile=$BUILD/$name.zip
    # The uninstaller removes exactly what the installer put down.
    (cd "$STAGE" && find . -type d | sort | sed 's|^\./||' | grep -v '^\.$' |
        while read -r d; do echo "CreateDirectory \"\$INSTDIR\\${d//\//\\}\""; done > "$BUILD/nsis-dirs.nsh"
     find . -type f | sort | sed 's|^\./||' |
        while read -r f; do
            local_dir=$(dirname "$f"); [ "$local_dir" = . ] && local_dir="" || local_dir="\\${local_dir//\//\\}"
            echo "SetOutPath \"\$INSTDIR$local_dir\""
            echo "File \"$STAGE/$f\""
        done > "$BUILD/nsis-files.nsh"
     find . -type f | sort | sed 's|^\./||' |
        while read -r f; do echo "Delete \"\$INSTDIR\\${f//\//\\}\""; done > "$BUILD/nsis-delete.nsh"
     find . -mindepth 1 -type d | sort -r | sed 's|^\./||' |
        while read -r d; do echo "RMDir \"\$INSTDIR\\${d//\//\\}\""; done > "$BUILD/nsis-rmdirs.nsh")
    makensis -V2 -DVERSION="$VERSION" -DOUTFILE="$setup" -DLISTS="$BUILD" \
        -DICON="$ROOT/res/windows/quorvane.ico" "$ROOT/res/windows/installer.nsi"
    rm -rf "$BUILD/$name" "$zipfile"
    cp -r "$STAGE" "$BUILD/$name"
    (cd "$BUILD" && zip -qr "$zipfile" "$name")
    rm -rf "$BUILD/$name"
    log "package: $setup and $zipfile after $(elapsed "$t0")"

    t0=$(now)
    scripts/netns.sh "$ROOT/scripts/windows.sh" --inside-install-test
    log "package: silent install, the installed quorvane-cli.exe and the uninstaller checked under Wine after $(elapsed "$t0")"
}

# Installs silently into a fresh Wine prefix and uses the installed programs alone: no
# DLL comes from the SDK here. Inside the private namespace.
inside_install_test() {
    [ "${QV_IN_NETNS:-}" = 1 ] || { echo "windows.sh: --inside-install-test runs only inside scripts/netns.sh" >&2; exit 3; }
    local prefix=$BUILD/wineprefix-install work=$BUILD/install-work dir
    rm -rf "$prefix" "$work"
    mkdir -p "$work"
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
    export HOME=$work/home # the prefix's Documents: not the builder's home folder
    mkdir -p "$HOME"
    unset WINEPATH QT_PLUGIN_PATH
    trap '$WINESERVER -k 2> /dev/null || true' EXIT
    $WINE "$BUILD/quorvane-$VERSION-win64-setup.exe" /S
    $WINESERVER -w
    dir="$prefix/drive_c/Program Files/Quorvane"
    local f
    for f in quorvane.exe quorvane-cli.exe uninstall.exe quorvane.ico platforms/qwindows.dll \
        libwinpthread-1.dll libgcc_s_seh-1.dll libstdc++-6.dll libcurl.dll libssh2.dll translations/english_en.qm; do
        [ -f "$dir/$f" ] || { echo "windows.sh: the installer did not put down $f" >&2; exit 1; }
    done
    [ -f "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvane/Quorvane.lnk" ] ||
        { echo "windows.sh: no Start menu entry" >&2; exit 1; }
    log "  installed silently into C:\\Program Files\\Quorvane with its Start menu entry"
    # The installed program by its Windows path, which has a space: through a script, so
    # that the path stays one word.
    printf '#!/bin/sh\nexec %s '\''C:\\Program Files\\Quorvane\\quorvane-cli.exe'\'' "$@"\n' "$WINE" > "$work/installed-cli.sh"
    chmod +x "$work/installed-cli.sh"
    cli_lan_check "$work/installed-cli.sh" "$work/cli"
    $WINE "C:\\Program Files\\Quorvane\\uninstall.exe" /S "_?=C:\\Program Files\\Quorvane"
    $WINESERVER -w
    rm -f "$dir/uninstall.exe" # with _? the uninstaller cannot delete itself
    if [ -n "$(find "$dir" -mindepth 1 2> /dev/null)" ] ||
        [ -e "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvane" ]; then
        echo "windows.sh: the uninstaller left files behind:" >&2
        find "$dir" "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvane" >&2 2> /dev/null
        exit 1
    fi
    log "  the uninstaller removed everything it installed"
}

main() {
    if [ $do_inside_test = 1 ]; then
        need_sdk
        inside_test
        return 0
    fi
    if [ $do_inside_install_test = 1 ]; then
        need_sdk
        inside_install_test
        return 0
    fi
    local total0
    total0=$(now)
    if [ $do_sdk = 1 ]; then stage_sdk; fi
    if [ $do_build = 1 ]; then stage_build; fi
    if [ $do_test = 1 ]; then stage_test; fi
    if [ $do_package = 1 ]; then stage_package; fi
    log "done after $(elapsed "$total0")"
}

# One line: bash has read it whole before it runs, so editing this file meanwhile is safe.
main "$@"; exit $?
