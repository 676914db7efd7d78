#!/bin/bash
# Builds the Windows modules of both ABIs with the mingw-w64 cross compilers,
# checks what each .p file imports and exports, runs the ray-grid smoke test
# under Wine against reference rays from a native build of the same source,
# and packages the release ZIP.
#
#   scripts/windows-check.sh [--no-package]
#
# Build folders (override with the variables): LENTARA_WIN64_DIR (build/win64),
# LENTARA_WIN32_DIR (build/win32), LENTARA_NATIVE_DIR (build/win-native; only
# the modules, the stand-in host and the smoke program are built there).
# Installs the compilers and Wine when missing (needs root then).
# Ends with "windows-check: N passed, N failed"; exits non-zero on a failure.
set -u
cd "$(dirname "$0")/.."
ROOT=$(pwd)
WIN64=${LENTARA_WIN64_DIR:-$ROOT/build/win64}
WIN32=${LENTARA_WIN32_DIR:-$ROOT/build/win32}
NATIVE=${LENTARA_NATIVE_DIR:-$ROOT/build/win-native}
JOBS=${LENTARA_JOBS:-2}
# Relative folders are taken from the repository root: the Windows program
# under Wine reads the reference file by its full path.
absolute() { case "$1" in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$ROOT" "$1" ;; esac; }
WIN64=$(absolute "$WIN64")
WIN32=$(absolute "$WIN32")
NATIVE=$(absolute "$NATIVE")
PACKAGE=1
[ "${1:-}" = "--no-package" ] && PACKAGE=0

passed=0
failed=0
log() { echo "windows-check: $*"; }
pass() { passed=$((passed + 1)); echo "PASS $*"; }
fail() { failed=$((failed + 1)); echo "FAIL $*"; }
finish() {
  echo "windows-check: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}
run() {  # run <description> <command...>: a failing step ends the check
  local what=$1
  shift
  if "$@"; then
    pass "$what"
  else
    fail "$what"
    finish
  fi
}

# ---- tools -----------------------------------------------------------------
PKGS="cmake ninja-build g++ clang binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64"
. scripts/packages.sh
# shellcheck disable=SC2086
missing=$(missing_packages $PKGS)
if [ -n "$missing" ]; then
  log "installing$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq &&
    # shellcheck disable=SC2086
    apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $missing >/dev/null ||
    { fail "installing$missing"; finish; }
fi
OBJDUMP64=x86_64-w64-mingw32-objdump
OBJDUMP32=i686-w64-mingw32-objdump
WINE=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)

# ---- builds ------------------------------------------------------------------
build() {  # build <dir> <log name> <target or ""> <configure args...>
  local dir=$1 name=$2 target=$3
  shift 3
  if ! cmake "$@" -B "$dir" >"$dir.configure.log" 2>&1; then
    tail -30 "$dir.configure.log"
    return 1
  fi
  if ! cmake --build "$dir" -j"$JOBS" ${target:+--target $target} >"$dir.build.log" 2>&1; then
    grep -E 'error|FAILED' "$dir.build.log" | head -30
    return 1
  fi
  log "$name built in $dir"
}
mkdir -p "$(dirname "$WIN64")" "$(dirname "$WIN32")" "$(dirname "$NATIVE")"
run "win32 build (preset win32)" build "$WIN32" win32 "" --preset win32
run "win64 build (preset win64)" build "$WIN64" win64 "" --preset win64 -DLENTARA_WIN32_BUILD_DIR="$WIN32"
# The reference program needs only the modules and the stand-in host. An
# existing native build tree (LENTARA_NATIVE_DIR) is used as configured.
if [ -f "$NATIVE/CMakeCache.txt" ]; then
  run "native reference build" build "$NATIVE" native lentara_raygrid "$NATIVE"
else
  run "native reference build" build "$NATIVE" native lentara_raygrid --preset release -DLENTARA_BUILD_TESTS=OFF \
    -DLENTARA_BUILD_TOOLS=OFF -DLENTARA_BUILD_BENCH=OFF
fi

# ---- import and export checks ---------------------------------------------------
# Only DLLs that every Windows installation has may be imported: the C runtimes
# and the C++ runtime are linked in.
SYSTEM_DLLS='^(kernel32|msvcrt|ucrtbase|user32|gdi32|advapi32|ntdll|shell32|ole32|ws2_32|api-ms-win-[a-z0-9-]+)\.dll$'

check_module() {  # check_module <objdump> <file> <pe format>
  local objdump=$1 file=$2 format=$3 name
  name=$(basename "$file")
  local dump
  dump=$("$objdump" -p "$file") || { fail "$name: objdump cannot read it"; return; }
  if "$objdump" -f "$file" | grep -q "file format $format"; then
    pass "$name: $format image"
  else
    fail "$name: not a $format image"
  fi

  local imports bad
  imports=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
  bad=$(for d in $imports; do echo "$d"; done | tr 'A-Z' 'a-z' | grep -Ev "$SYSTEM_DLLS")
  if [ -n "$imports" ] && [ -z "$bad" ]; then
    pass "$name imports only system DLLs: $imports"
  else
    fail "$name imports non-system DLLs: ${bad:-(none found)} (all: $imports)"
  fi

  local exports
  exports=$(echo "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^\s*\[ *[0-9]*\] //p' | tr '\n' ' ' | sed 's/ $//')
  if [ "$exports" = "_mod_descrip" ]; then
    pass "$name exports exactly _mod_descrip"
  else
    fail "$name exports '$exports' (expected only _mod_descrip)"
  fi

  # The descriptor's first three words, read from the image at the export's
  # address: synchronisation value, descriptor version, machine type.
  local base rva words
  base=$(echo "$dump" | awk '$1 == "ImageBase" {print $2}')
  rva=$(echo "$dump" | sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' |
        sed -n 's/.*+base\[ *1\] *\([0-9a-f]*\) Export RVA.*/\1/p' | head -1)
  if [ -n "$base" ] && [ -n "$rva" ]; then
    local addr=$((0x$base + 0x$rva))
    words=$("$objdump" -s --start-address=$addr --stop-address=$((addr + 12)) "$file" |
            awk 'NF >= 4 && $1 ~ /^[0-9a-f]+$/ {print $2, $3, $4; exit}')
  fi
  if [ "$words" = "94191204 03000000 00030000" ]; then
    pass "$name descriptor: sync 0x04121994, version 3, machine 0x300"
  else
    fail "$name descriptor words '$words' (expected 94191204 03000000 00030000)"
  fi

  # The evaluate path's per-thread caches must be native thread-locals (in
  # the image's TLS block, laid out by the loader for every thread): an
  # emulated one is allocated on each thread's first ray. The only emulated
  # variable allowed is the C++ runtime's own exception record, which lives
  # in the GCC-built libstdc++ and is touched only when something throws.
  local nm=${objdump%objdump}nm emulated
  emulated=$("$nm" "$file" | sed -n 's/.*__emutls_v\.//p' |
             grep -v '^_ZZN12_GLOBAL__N_110get_globalEvE6global$' | tr '\n' ' ')
  if echo "$dump" | grep -q 'Thread Storage Directory \[\.tls\]' && [ -z "$emulated" ]; then
    pass "$name keeps its thread-locals in the native TLS block"
  else
    fail "$name has emulated thread-locals: ${emulated:-(no TLS directory)}"
  fi
}

modules64=$(find "$WIN64" -name '*64.p' -not -path '*/CMakeFiles/*' -not -path '*/_CPack_Packages/*' | sort)
modules32=$(find "$WIN32" -name '*32.p' -not -path '*/CMakeFiles/*' -not -path '*/_CPack_Packages/*' | sort)
for f in $modules64; do check_module $OBJDUMP64 "$f" pei-x86-64; done
for f in $modules32; do check_module $OBJDUMP32 "$f" pei-i386; done
for want in Vantor_Lentara64.p Vantor_Lentara32.p Vantor_LentaraXR64.p Vantor_LentaraXR32.p; do
  echo "$modules64 $modules32" | grep -q "/$want" && pass "$want built" || fail "$want missing"
done
if [ -d timing ] && [ -f timing/CMakeLists.txt ]; then
  for want in timing_camera64.p timing_camera32.p; do
    echo "$modules64 $modules32" | grep -q "/$want" && pass "$want built" || fail "$want missing"
  done
fi

# ---- Wine smoke test -------------------------------------------------------------
# Reference rays from the native build, then the same grid in the Windows
# build under Wine, for every module both builds have.
ref_args=()
win_args=()
for base in Vantor_Lentara Vantor_LentaraXR timing_camera; do
  nat=$(find "$NATIVE" -name "$base.p" -not -path '*/CMakeFiles/*' -not -path '*/_CPack_Packages/*' | head -1)
  win=$(echo "$modules64" | tr ' ' '\n' | grep "/${base}64.p$" | head -1)
  if [ -n "$nat" ] && [ -n "$win" ]; then
    ref_args+=("$base=$nat")
    win_args+=("$base=$(realpath --relative-to="$WIN64" "$win")")
  fi
done
REF="$NATIVE/raygrid-reference.txt"
WINEPREFIX=$(mktemp -d /tmp/lentara-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup_wine() { WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"; }
trap cleanup_wine EXIT

if "$NATIVE/tests/winsmoke/lentara_raygrid" --write "$REF" "${ref_args[@]}" >"$NATIVE/raygrid-native.log" 2>&1; then
  pass "native reference rays written ($(wc -l <"$REF") results, modules: ${ref_args[*]##*/})"
else
  tail -20 "$NATIVE/raygrid-native.log"
  fail "native reference run"
  finish
fi
log "starting Wine in $WINEPREFIX"
timeout 300 wineboot -i >/dev/null 2>&1 || log "wineboot returned $? (continuing)"
SMOKE_LOG="$WIN64/raygrid-wine.log"
(cd "$WIN64" && timeout 600 "$WINE" tests/winsmoke/lentara_raygrid.exe --compare "$REF" "${win_args[@]}") \
  >"$SMOKE_LOG" 2>&1
rc=$?
grep -E '^(FAIL|     )' "$SMOKE_LOG"
summary=$(grep -E '^raygrid: [0-9]+ passed, [0-9]+ failed' "$SMOKE_LOG" | tail -1)
log "Wine smoke test (64-bit modules): ${summary#raygrid: }"
if [ $rc -eq 0 ] && [ -n "$summary" ]; then
  pass "Wine smoke test"
else
  tail -5 "$SMOKE_LOG"
  fail "Wine smoke test (exit $rc)"
fi

# ---- release package -------------------------------------------------------------
if [ $PACKAGE -eq 1 ]; then
  rm -f "$WIN64"/VantorLentara-*.zip
  if cmake --build "$WIN64" --target package >"$WIN64.package.log" 2>&1; then
    zip=$(ls "$WIN64"/VantorLentara-*.zip 2>/dev/null | head -1)
    log "package $zip:"
    listing=$(cd "$WIN64" && cmake -E tar tf "$zip")
    echo "$listing" | sed 's/^/    /'
    ok=1
    for want in Vantor_Lentara64.p Vantor_Lentara32.p Vantor_LentaraXR64.p Vantor_LentaraXR32.p \
                docs/user-guide.md LICENSE; do
      echo "$listing" | grep -q "/$want$" || { ok=0; log "package lacks $want"; }
    done
    [ $ok -eq 1 ] && pass "release package holds both modules in both ABIs, the user guide and the licence" ||
      fail "release package contents"
  else
    tail -20 "$WIN64.package.log"
    fail "release package"
  fi
fi
finish
