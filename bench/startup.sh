# Time from process start to the main window being visible, against the
# smallest window program, both under Wine x64 in the same run.
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"
cd "$build/win64"
"$WINE64" bench/startwatch.exe TTrivial bench/trivialwin.exe 5
"$WINE64" bench/startwatch.exe TForm1 VeskInfo.exe 5
