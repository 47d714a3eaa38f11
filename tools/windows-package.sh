#!/usr/bin/env bash
# Gathers the Windows build into a folder that runs on a Windows machine with nothing
# installed, and makes a zip and an installer of it.
#   windows-package.sh BUILD_DIR QT_PREFIX VERSION
set -euo pipefail
# The installer compiler runs in a folder of its own: the paths it is given must be whole.
build=$(cd "${1:?usage: windows-package.sh BUILD_DIR QT_PREFIX VERSION}" && pwd)
qt=$(cd "${2:?}" && pwd) version=${3:?}
top=$(cd "$(dirname "$0")/.." && pwd)
cxx=x86_64-w64-mingw32-g++-posix
out="$build/package"
folder="$out/Orvane"
rm -rf "$out"
mkdir -p "$folder/platforms" "$folder/styles"

cp "$build/src/app/orvane.exe" "$build/tools/viewer-standin/orvane-viewer-standin.exe" \
    "$build/tools/make-list/orvane-make-list.exe" "$folder/"
for module in Core Gui Widgets Network; do
    cp "$qt/bin/Qt6$module.dll" "$folder/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
cp "$qt/plugins/styles/"*.dll "$folder/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$($cxx -print-file-name=$dll)" "$folder/"
done
cp "$build/src/app/orvane.ico" "$folder/"
x86_64-w64-mingw32-strip --strip-unneeded "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll

# Nothing may be missing: every DLL an executable or plugin imports is either the system's or
# in the folder.
missing=0
for binary in "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
        case "${dll,,}" in
        api-ms-win-* | kernel32.dll | user32.dll | gdi32.dll | shell32.dll | ole32.dll | \
            oleaut32.dll | advapi32.dll | comdlg32.dll | ws2_32.dll | winmm.dll | imm32.dll | \
            dwmapi.dll | uxtheme.dll | version.dll | netapi32.dll | userenv.dll | mpr.dll | \
            shlwapi.dll | msvcrt.dll | wtsapi32.dll | setupapi.dll | d3d9.dll | dxgi.dll | \
            d3d11.dll | crypt32.dll | iphlpapi.dll | secur32.dll | ncrypt.dll | bcrypt.dll | \
            dnsapi.dll | comctl32.dll | authz.dll | shcore.dll | winspool.drv | \
            opengl32.dll | d2d1.dll | dwrite.dll | ntdll.dll | dcomp.dll | powrprof.dll | \
            winhttp.dll | wininet.dll | rpcrt4.dll | synchronization.dll | userenv.dll) ;;
        *)
            if [ ! -f "$folder/$dll" ]; then
                echo "$(basename "$binary") needs $dll, which is not in the folder" >&2
                missing=1
            fi
            ;;
        esac
    done
done
[ $missing = 0 ]

zip_name="Orvane-$version-win64.zip"
(cd "$out" && zip -qr "$zip_name" Orvane)

# The uninstaller removes exactly the installed files.
list="$out/uninstall-files.nsh"
(cd "$folder" && find . -type f | sed 's|^\./||; s|/|\\|g' | sort |
    sed 's|^|  Delete "$INSTDIR\\|; s|$|"|') >"$list"
makensis -V2 -DVERSION="$version" -DSOURCE="$folder" -DFILELIST="$list" \
    -DOUTFILE="$out/Orvane-$version-win64-setup.exe" "$top/packaging/windows/orvane.nsi"

echo "Windows folder:    $folder"
echo "Windows zip:       $out/$zip_name"
echo "Windows installer: $out/Orvane-$version-win64-setup.exe"
