#!/usr/bin/env bash
# Builds the engine for 64-bit Windows, TERVA3-COMP.DLL, with Debian's
# MinGW-w64 (the POSIX-threads variant: the frequency workers use
# std::thread), and checks it under Wine as the desktop program calls it:
# names.dat written, the library loaded by its full path with LoadLibrary,
# _ITERVA found with GetProcAddress and called with 13
# (tools/engine_check/terva_engine_check.cpp). Every bundled example's report,
# graphic data file and results file must be byte-identical to the Linux
# references (tests/data/reference, dates and times masked), in the C locale
# and again under the comma-decimal locales German_Germany.1252 and
# French_France.1252 set in the calling program.
#
# Also checked: the DLL exports ITERVA and _ITERVA, and it needs no DLL
# beside it (the C++ runtime and the threads library are linked in).
#
#   bash scripts/windows-engine.sh [BUILD-FOLDER]      (default build-windows)
#
# Installs what is missing (g++-mingw-w64-x86-64-posix, wine64) with apt-get.
# Exits 0 when everything holds, 1 on any difference or when Wine cannot run
# Windows programs on this machine (said in one line), 2 on a failed build.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
mingw=x86_64-w64-mingw32

packages=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64)
bash scripts/install-missing.sh windows-engine "${packages[@]}"

if ! cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
       -DTERVA_ENGINE_ONLY=ON -DTERVA_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null ||
   ! cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1; then
  tail -30 "$build/build.log" 2>/dev/null || true
  echo "windows-engine: the Windows build failed"
  exit 2
fi
dll="$build/bin/TERVA3-COMP.DLL"
check="$build/bin/terva-engine-check.exe"
echo "windows-engine: built $dll"

failed=0
# The exports, as objdump -p lists them.
table="$($mingw-objdump -p "$dll")"
exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$table" | sed -E -n 's/^\s*\[ *[0-9]+\] //p' | sort)"
echo "windows-engine: exports $(tr '\n' ' ' <<<"$exports")"
for name in ITERVA _ITERVA; do
  grep -qx "$name" <<<"$exports" || { echo "windows-engine: $dll does not export $name"; failed=1; }
done
# Nothing but Windows' own DLLs: no libstdc++-6.dll, libgcc_s or libwinpthread-1.dll beside it.
for binary in "$dll" "$check"; do
  for needed in $($mingw-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
    case "${needed,,}" in
      kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | ucrtbase.dll | api-ms-win-*) ;;
      *) echo "windows-engine: $(basename "$binary") needs $needed beside it"; failed=1 ;;
    esac
  done
done

# Wine in a prefix of this build's own, without its Mono and Gecko installers.
export WINEPREFIX="$PWD/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
wine=""
for candidate in wine /usr/lib/wine/wine64 wine64; do
  command -v "$candidate" >/dev/null 2>&1 && { wine="$candidate"; break; }
done
answer="$( { [ -n "$wine" ] && "$wine" "$check" 2>&1; } | tr -d '\r' || true)"
if [[ "$answer" != *"usage: terva-engine-check"* ]]; then
  echo "windows-engine: Wine cannot run Windows programs on this machine: ${answer:-no wine program}" | head -1
  exit 1
fi

for locale in "" German_Germany.1252 French_France.1252; do
  echo "windows-engine: every example under Wine${locale:+, locale $locale}"
  arguments=()
  [ -n "$locale" ] && arguments=(--locale "$locale")
  if ! bash tests/tools/engine_check_test.sh "$wine" "$check" "$dll" examples tests/data/reference "${arguments[@]}" |
       sed 's/^/  /'; then
    failed=1
  fi
done
if [ "$failed" -eq 0 ]; then
  echo "windows-engine: TERVA3-COMP.DLL gives every example byte-identical to the Linux references"
else
  echo "windows-engine: FAILED"
fi
exit "$failed"
