#!/bin/sh
# regsvr and autocall from a shell, as a script would use them, on a
# registry in a temporary XDG_CONFIG_HOME.
set -u
BIN=$1
LIB=$2
# The configuration directory, and with it the Windows directory, has a
# Japanese name.
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
XDG_CONFIG_HOME="$TMP/設定"
mkdir "$XDG_CONFIG_HOME"
export XDG_CONFIG_HOME
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}
KEY='Software\Arvenda\Quillbox95\FormPoint'

out=$("$BIN/autocall" AVOLE.Reg Getting 0x80000001 "$KEY" Top 2>&1); rc=$?
check "before registration: status" 1 "$rc"
check "before registration: message" "autocall: AVOLE.Reg: class not registered" "$out"

"$BIN/regsvr" "$LIB" >/dev/null; check "regsvr status" 0 "$?"
check "Saving" True "$("$BIN/autocall" AVOLE.Reg Saving 0x80000001 "$KEY" Top 6585)"
check "Getting" 6585 "$("$BIN/autocall" AVOLE.Reg Getting 0x80000001 "$KEY" Top)"
check "Japanese text" "肉じゃが" "$("$BIN/autocall" AVOLE.Reg Saving 0x80000001 'Software\テスト' 名前 肉じゃが >/dev/null;
  "$BIN/autocall" '{98FCF989-F5E7-11CF-9A73-444553540000}' getting 0x80000001 'Software\テスト' 名前)"
check "DelKey" True "$("$BIN/autocall" AVOLE.Reg DelKey 0x80000001 "$KEY" Top)"
check "DelKey again" False "$("$BIN/autocall" AVOLE.Reg DelKey 0x80000001 "$KEY" Top)"

# Ini and the Windows directory.
WINDIR="$XDG_CONFIG_HOME/quillbox/windows"
check "WindowsPath" "$WINDIR" "$("$BIN/autocall" AVOLE.System WindowsPath)"
check "Ini Saving" True "$("$BIN/autocall" AVOLE.Ini Saving 色 背景 青 demo.ini)"
printf '[色]\r\n背景=青\r\n' | iconv -f UTF-8 -t CP932 | cmp -s - "$WINDIR/demo.ini"
check "Ini file in the Windows directory, code page 932" 0 "$?"
check "Ini Getting" 青 "$("$BIN/autocall" AVOLE.Ini Getting 色 背景 demo.ini)"
check "Ini Getting, no such key" "" "$("$BIN/autocall" AVOLE.Ini Getting 色 前景 demo.ini)"
"$BIN/autocall" AVOLE.Ini Saving Prompts Ask '<名前?>' "$TMP/full.ini" >/dev/null
check "Prompts" "名前?" "$("$BIN/autocall" AVOLE.Ini Getting Prompts Ask "$TMP/full.ini")"
check "prompts" "<名前?>" "$("$BIN/autocall" AVOLE.Ini Getting prompts Ask "$TMP/full.ini")"
check "Ini Saving, no such directory" False \
  "$("$BIN/autocall" AVOLE.Ini Saving A B C "$TMP/missing/x.ini")"

out=$("$BIN/autocall" AVOLE.Reg Nothing 2>&1); rc=$?
check "no such member" "1 autocall: AVOLE.Reg: no member named Nothing" "$rc $out"
out=$("$BIN/autocall" AVOLE.Reg Getting 0x80000001 "$KEY" 2>&1); rc=$?
check "wrong count" "1 autocall: Getting: wrong number of arguments" "$rc $out"
out=$("$BIN/autocall" AVOLE.Reg Getting seven "$KEY" Top 2>&1); rc=$?
check "not an integer" "1 autocall: argument 1 ('seven') is not an integer" "$rc $out"
"$BIN/autocall" >/dev/null 2>&1; check "usage" 2 "$?"

check "version information" "FileDescription=Arvenda OLE DLLファイル" \
  "$("$BIN/regsvr" --version-info "$LIB" | grep FileDescription)"
out=$("$BIN/regsvr" /etc/hostname 2>&1); rc=$?
check "not a library" 1 "$rc"
"$BIN/regsvr" -u "$LIB" >/dev/null; check "unregister status" 0 "$?"
"$BIN/autocall" AVOLE.Reg Getting 0x80000001 "$KEY" Top >/dev/null 2>&1
check "after unregistration" 1 "$?"

if [ "$failures" -eq 0 ]; then echo "avole command line: all checks passed"; fi
exit "$failures"
