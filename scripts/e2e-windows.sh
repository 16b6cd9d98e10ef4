#!/usr/bin/env bash
# The whole run on Windows against the Linux build's, case by case: the
# Windows bokctl.exe run (a real host window, under Wine on the Xvfb
# display of scripts/test-windows.sh) and the Linux host stand-in start
# the same edition with the same command line on the sample company, get
# the same answers, and must end with the same result code, the same host
# lines and, where a report is written, byte-identical reports and
# remembered-path files.  The screen is taken from the display's root
# window (xwd -root) once the host window is up, as PNG files under
# build/windows/e2e/screens.
#
# The Linux side answers on the terminal front end (typed lines); the
# Windows side shows the Windows dialogs and is driven by real key events
# (xdotool key and type, on the display Wine draws on) sent to the focused
# window: dialog 130, then each message box as it comes.  There is no
# window manager on the virtual display, so each window is given X's focus
# (xdotool windowfocus) before its keys.  Every wait is for a condition (a
# window shown, a window gone) with a generous timeout.  E2E_FRONTEND=terminal
# answers the Windows side on the terminal instead (no dialogs; the re-parent
# line is then left out, the terminal's progress view being no window).
#
# Runs under the Wine prefix, server and display of scripts/test-windows.sh,
# after both builds.
set -euo pipefail
cd "$(dirname "$0")/.."

linux=$PWD/build/default
windows=$PWD/build/windows
work=$windows/e2e
screens=$work/screens
rm -rf "$work"
mkdir -p "$screens"
: "${DISPLAY:?the Windows end-to-end run needs the display Wine draws on}"
frontend=${E2E_FRONTEND:-windows}
host_title="bokctl run: host window"
dialog_title="集計条件"
# The message boxes' caption, whole (dots for its parentheses).
box_title="^所得税.減価償却.$"
# Generous: a Wine program's first window on a fresh prefix takes seconds.
wait_seconds=120

failures=0
# The Windows bokctl of a case; the last two run the one of the package.
wbokctl=$windows/tools/bokctl/bokctl.exe

# The lines the host prints about what the program did to its window; the
# re-parent line only where the program has windows.
host_lines() {
  tr -d '\r' <"$1" | grep -E '^(host |progress dialog |posted: )' |
    if [ "$frontend" = terminal ]; then grep -v '^progress dialog re-parented: '; else cat; fi
}

shot() { xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$screens/$1.png"; }

# The visible window whose name matches, once there is one; fails after
# the timeout.
wait_window() { timeout "$wait_seconds" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1; }

# Waits until window $1 is no longer shown.
wait_gone() {
  local deadline=$((SECONDS + wait_seconds))
  while xdotool search --onlyvisible --name "$2" 2>/dev/null | grep -qx "$1"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# Drives the Windows dialogs by the steps of a case, separated by "|":
#   130 NAME      wait for dialog 130, take the screen as NAME, focus it
#   focus         give dialog 130 the focus again (after a message box)
#   key KEYS      press keys (xdotool key syntax)
#   path TEXT     the output path: the edit by its access key, then TEXT
#   box NAME      wait for a message box, take the screen as NAME, Enter
#                 (OK, or the default button, はい), wait until it is gone
drive() {
  local case=$1 steps=$2 step word arg window dialog=""
  IFS='|' read -ra step <<<"$steps"
  for word in "${step[@]}"; do
    arg=${word#* }
    case $word in
      130*)
        dialog=$(wait_window "$dialog_title") || { echo "$case: no dialog 130" >&2; return 1; }
        shot "$case-$arg"
        xdotool windowfocus --sync "$dialog" 2>/dev/null ;;
      focus) xdotool windowfocus --sync "$dialog" 2>/dev/null ;;
      key*) xdotool key --delay 50 $arg ;;
      path*) xdotool key alt+f && xdotool type --delay 20 "$arg" ;;
      box*)
        window=$(wait_window "$box_title") || { echo "$case: no message box" >&2; return 1; }
        shot "$case-$arg"
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key Return
        wait_gone "$window" "$box_title" || { echo "$case: the message box stays" >&2; return 1; } ;;
    esac
  done
}

# One case: name, edition (std/pro), FIELD4 (or ""), a fault for bokctl
# fail (or ""), a file the output folder holds before (or ""), the report
# written (or ""), the answers on the terminal, the steps in the dialogs.
check() {
  local name=$1 edition=$2 field4=$3 fault=$4 existing=$5 report=$6 answers=$7 steps=$8
  local dir=$work/$name
  mkdir -p "$dir"
  local -a run=(run)
  [ "$edition" = pro ] && run+=(--pro)
  [ -n "$field4" ] && run+=("$field4")
  local envfile=DeprLinkStd.env
  [ "$edition" = pro ] && envfile=DeprLinkPro.env

  # Linux: the host stand-in over its socket.
  local lhome=$dir/linux-home
  "$linux/tools/bokctl/bokctl" --home "$lhome" init --sample >/dev/null
  # shellcheck disable=SC2086
  [ -z "$fault" ] || "$linux/tools/bokctl/bokctl" --home "$lhome" fail $fault >/dev/null
  [ -z "$existing" ] || echo old >"$lhome/drive_c/Mildan/Data/$existing"
  local lrc=0
  printf "$answers" | DEPRLINK_FRONTEND=terminal "$linux/tools/bokctl/bokctl" --home "$lhome" "${run[@]}" \
    >"$dir/linux.log" 2>&1 || lrc=$?

  # Windows: the real host window.  The sample's application folders are
  # the prefix's own C:\Mildan, emptied for each case.
  local whome
  whome=$(winepath -w "$dir/windows-home")
  rm -rf "$WINEPREFIX/drive_c/Mildan"
  wine "$wbokctl" --home "$whome" init --sample >/dev/null
  # shellcheck disable=SC2086
  [ -z "$fault" ] || wine "$wbokctl" --home "$whome" fail $fault >/dev/null
  [ -z "$existing" ] || echo old >"$WINEPREFIX/drive_c/Mildan/Data/$existing"
  local fifo=$dir/answers
  mkfifo "$fifo"
  DEPRLINK_FRONTEND=$frontend wine "$wbokctl" --home "$whome" "${run[@]}" \
    <"$fifo" >"$dir/windows.log" 2>&1 &
  local pid=$!
  exec 3>"$fifo"
  local driven=ok
  # The program has started once the host window is on the screen.
  if ! wait_window "$host_title" >/dev/null; then
    echo "$name: no host window within $wait_seconds s" >&2
    driven=failed
  elif [ "$frontend" = terminal ]; then
    shot "$name-host"
    printf "$answers" >&3
  else
    drive "$name" "$steps" || driven=failed
  fi
  exec 3>&-
  local wrc=0
  wait "$pid" || wrc=$?
  if [ "$driven" != ok ]; then
    failures=$((failures + 1))
    return
  fi

  local verdict=ok
  if [ "$lrc" != "$wrc" ]; then
    echo "$name: result code $wrc on Windows, $lrc on Linux" >&2
    verdict=failed
  fi
  if ! diff <(host_lines "$dir/linux.log") <(host_lines "$dir/windows.log") >"$dir/host-lines.diff"; then
    echo "$name: the host lines differ:" >&2
    cat "$dir/host-lines.diff" >&2
    verdict=failed
  fi
  if [ -z "$(host_lines "$dir/windows.log")" ]; then
    echo "$name: the Windows host printed no host lines" >&2
    verdict=failed
  fi
  if [ -n "$report" ]; then
    local lreport=$lhome/drive_c/Mildan/Data/$report wreport=$WINEPREFIX/drive_c/Mildan/Data/$report
    if ! [ -f "$lreport" ] || ! cmp -s "$lreport" "$wreport"; then
      echo "$name: the reports differ (or one is missing)" >&2
      verdict=failed
    fi
    if ! cmp -s "$lhome/drive_c/Mildan/Env/$envfile" "$WINEPREFIX/drive_c/Mildan/Env/$envfile"; then
      echo "$name: the remembered-path files differ" >&2
      verdict=failed
    fi
  fi
  if [ "$verdict" = ok ]; then
    echo "$name: result $wrc, host lines and report as on Linux"
  else
    failures=$((failures + 1))
  fi
}

out='C:\\Mildan\\Data'
win='C:\Mildan\Data'
check done std "" "" "" out.xml "3\n$out\\\\out.xml\nF12\n" \
  "130 130|key alt+3|path $win\out.xml|key F12|box 131-done"
check cancel std "" "" "" "" "3\n$out\\\\out.xml\nEsc\n" \
  "130 130|key alt+3|path $win\out.xml|key Escape|box cancel"
check refused-path std "" "" "" out.xml "3\n$out\\\\a*b.xml\nF12\n$out\\\\out.xml\nF12\n" \
  "130 130|key alt+3|path $win\a*b.xml|key F12|box refused|focus|path $win\out.xml|key F12|box done"
check folder-creation std "" "" "" new/out.xml "3\n$out\\\\new\\\\out.xml\nF12\ny\n" \
  "130 130|key alt+3|path $win\new\out.xml|key F12|box create-folder|box done"
check overwrite std "" "" out.xml out.xml "3\n$out\\\\out.xml\nF12\ny\n" \
  "130 130|key alt+3|path $win\out.xml|key F12|box overwrite|box done"
check failing-walk std "" "Move -9 --at 2" "" "" "3\n$out\\\\out.xml\nF12\n" \
  "130 130|key alt+3|path $win\out.xml|key F12|box failed"
check host-path std 'C:\Mildan\Data\host.xml' "" "" host.xml "\nF12\n" \
  "130 130-host-path|key F12|box done"
check pro pro "" "" "" pro.xml "3\n$out\\\\pro.xml\nF12\n" \
  "130 130-pro|key alt+3|path $win\pro.xml|key F12|box done"

# The zip of the package target, unpacked as a user would: its bokctl
# finds the sample and the programs beside itself.
zip=$(ls "$windows"/DeprLink-*-windows.zip)
mkdir -p "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
wbokctl=$(ls "$work"/unpacked/*/bokctl.exe)
check package-std std "" "" "" out.xml "3\n$out\\\\out.xml\nF12\n" \
  "130 130|key alt+3|path $win\out.xml|key F12|box done"
check package-pro pro "" "" "" pro.xml "3\n$out\\\\pro.xml\nF12\n" \
  "130 130|key alt+3|path $win\pro.xml|key F12|box done"

if ((failures)); then
  echo "$failures end-to-end case(s) differ from the Linux build" >&2
  exit 1
fi
echo "screenshots: $screens"
