#!/usr/bin/env bash
# The Windows whole cycle on one command: builds the Windows programs and
# Harvella Setup, makes a Wine prefix with an X display of its own, and plays
# a user on it: Setup's pages (once with a damaged database file, which the
# database page shows as a failure, and once for real, with an Access
# database), the launcher's stop and start with their progress dialog, the
# login page answered by the test runtime standing for Java, the database
# check, the uninstaller's pages, Setup and the uninstaller in silent mode,
# and Setup once more with a private MySQL server (the test package, whose
# programs run Debian's MariaDB under Wine), run again over that installation,
# up to its uninstaller. Every page is saved as a screenshot in build-win32/screenshots. Ends
# with a summary table and exits 0 only when every step answered what an
# installer expects.
#
#   scripts/demo_windows.sh [--dir DIR] [--built BUILD_DIR]
#
#   --dir     the machine's folder (default: $TMPDIR or /tmp, harvella-windows-demo-<uid>)
#   --built   use the Windows programs already built in BUILD_DIR; install and build nothing
set -uo pipefail

machine=$(realpath -s -m -- "${TMPDIR:-/tmp}/harvella-windows-demo-$(id -u)")
built=""
while [ $# -gt 0 ]; do
  case $1 in
    --dir) machine=$(realpath -s -m -- "$2"); shift ;;
    --built) built=$(realpath -s -m -- "$2"); shift ;;
    *) echo "usage: scripts/demo_windows.sh [--dir DIR] [--built BUILD_DIR]" >&2; exit 2 ;;
  esac
  shift
done
cd "$(dirname "$0")/.."
repo=$(pwd)
source "$repo/scripts/demo_common.sh"
marker=.harvella-windows-demo

# --- the programs --------------------------------------------------------------
if [ -z "$built" ]; then
  build_targets win32 HarvellaSetup installer_driver test_jvm test_ado \
    jet_libraries || exit 1
  built=$repo/build-win32
fi
setup=$built/bin/HarvellaSetup.exe
driver=$built/fixtures/installer_driver.exe
for needed in "$setup" "$driver" "$built/fixtures/launcher/jvm.dll" \
              "$built/fixtures/access/test_ado.dll" "$built/fixtures/access/MSJET40.DLL"; do
  [ -e "$needed" ] || { echo "demo: $needed is missing (run without --built to build it)" >&2; exit 1; }
done

# --- the machine: a Wine prefix on a display of its own ----------------------------
if [ -e "$machine" ]; then
  if [ -L "$machine" ] || [ ! -O "$machine" ] || [ ! -e "$machine/$marker" ]; then
    echo "demo: $machine is not a machine of this demo; choose another with --dir" >&2
    exit 1
  fi
  WINEPREFIX="$machine/prefix" wineserver -k >/dev/null 2>&1
  rm -rf -- "$machine"
fi
mkdir -p -- "$machine" && touch "$machine/$marker" || exit 1
export WINEPREFIX="$machine/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for n in $(seq 150 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
on_exit() {
  wineserver -k >/dev/null 2>&1
  kill "$xvfb" >/dev/null 2>&1
  if [ $failed -eq 0 ]; then rm -rf -- "$machine"; else echo "The machine is left for a look in $machine."; fi
}
trap on_exit EXIT
trap 'failed=1; exit 130' INT TERM
echo "Machine: $machine (Wine prefix $WINEPREFIX, X display $DISPLAY)"
drive=$WINEPREFIX/drive_c
install="C:\\Program Files\\Harvella Server"
install_linux="$drive/Program Files/Harvella Server"
# The login page's port: away from the launcher's Wine tests (18080), which
# may run beside the demo, and from the MySQL ports (27351 on).
port=29080
while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done

windows_path() { winepath -w "$1" 2>/dev/null; }
# The driver plays the user (tests/fixtures/installer_driver); its last line is
# "exit N", the whole exit code of the program it ran, which is the step's
# answer as long as every page came as expected (else the answer is "driver").
drive() {
  echo "\$ installer_driver $*"
  local out status
  out=$(wine "$driver" "$@" 2>/dev/null)
  status=$?
  out=${out//$'\r'/}
  printf '%s\n' "$out"
  local last=${out##*$'\n'}
  if [ $status -ne 0 ] || [[ $last != "exit "* ]]; then
    answer=driver
  else
    answer=${last#exit }
  fi
}
make_machine() {
  bash scripts/wine_prefix.sh "$WINEPREFIX" win32
}
# What a Windows computer brings and Wine lacks: a Java runtime (the test
# runtime), registered as Java's own installer registers it, the Jet 4.0 engine
# and ADO (the stand-ins over SQLite).
machine_parts() {
  mkdir -p "$drive/Java/bin/server" "$drive/machine" &&
    cp "$built/fixtures/launcher/jvm.dll" "$drive/Java/bin/server/" &&
    cp "$built/fixtures/access/MSJET40.DLL" "$drive/windows/system32/" &&
    cp "$built/fixtures/access/test_ado.dll" "$drive/machine/" || return 1
  wine reg add 'HKLM\SOFTWARE\JavaSoft\JRE' /v CurrentVersion /d 17 /f >/dev/null 2>&1 &&
    wine reg add 'HKLM\SOFTWARE\JavaSoft\JRE\17' /v JavaHome /d 'C:\Java' /f >/dev/null 2>&1 &&
    wine regsvr32 /s 'C:\machine\test_ado.dll' >/dev/null 2>&1 || return 1
  printf 'not a database\r\n' >"$drive/machine/damaged.mdb"
  echo "C:\\Java\\bin\\server\\jvm.dll (the test runtime), MSJET40.DLL, ADO; a damaged C:\\machine\\damaged.mdb"
}
setup_line() { echo "$(windows_path "$setup") /PORT=$port $*"; }
# $1: how the database's address starts.
login_page() {
  local url="http://127.0.0.1:$port/login.do" answer=""
  echo "GET $url"
  for _ in $(seq 40); do
    answer=$(curl -s -m 5 "$url" | sed -n 's/.*<p id="database">\([^<]*\)<.*/\1/p')
    [ -n "$answer" ] && break
    sleep 0.25
  done
  echo "The login page names the database: ${answer:-(no answer)}"
  [[ $answer == "$1"* ]]
}
registry_key() { wine reg query "$1" >/dev/null 2>&1; }
left_behind() {
  [ -e "$install_linux" ] && find "$install_linux" -printf 'file %P\n'
  local service
  for service in Harvella HarvellaMySQL; do
    wine sc query "$service" 2>/dev/null | grep -q SERVICE_NAME && echo "the service $service"
  done
  local key
  for key in 'HKLM\SOFTWARE\Brenwick\Harvella' \
             'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Harvella' \
             'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Harvella'; do
    registry_key "$key" && echo "registry key $key"
  done
}
nothing_left() {
  local found
  found=$(left_behind)
  echo "${found:-nothing}"
  [ -z "$found" ]
}
silent_setup() {
  echo "\$ HarvellaSetup.exe /S /DATABASE=access /PORT=$port"
  wine "$setup" /S /DATABASE=access "/PORT=$port"
  local code=$?
  echo "exit code $code; the service: $(wine sc query Harvella 2>/dev/null | tr -d '\r' | grep -o 'RUNNING\|STOPPED')"
  return $code
}
# The uninstaller goes on in a copy of itself: its work is done once its own
# file is gone. Silently it keeps the database.
silent_uninstall() {
  echo "\$ uninstall.exe /S"
  wine "$install_linux/uninstall.exe" /S || return 1
  for _ in $(seq 120); do
    [ -e "$install_linux/uninstall.exe" ] || break
    sleep 0.25
  done
  local kept
  kept=$(cd "$install_linux" 2>/dev/null && find . -type f | sort)
  echo "left in the installation folder: ${kept:-nothing}"
  [ "$kept" = "./database/harvella.mdb" ] || return 1
  rm -rf -- "$install_linux"
}

step "machine: Wine prefix, X display $DISPLAY" 0 "a fresh 32-bit prefix" make_machine
step "machine: Java (test runtime), Jet, ADO" 0 "in place" machine_parts
step "Setup (pages), a damaged database file" 3002 "the page shows the failure, Setup stops" \
  drive setup "$(setup_line)" 'C:\machine\damaged.mdb'
step "nothing left after the failed Setup" 0 "no folder, service or key" nothing_left
step "Setup (pages), an Access database" 0 "database, files, service, started" \
  drive setup "$(setup_line)"
step "login page" 0 "the test runtime answers" login_page jdbc:izmado:harvelladb
step "Harvella_Access stop" 0 "the dialog: stopped" drive launcher "$install\\Harvella_Access.exe" stop
step "Harvella_Access start" 0 "the dialog: started" drive launcher "$install\\Harvella_Access.exe" start
step "login page" 0 "the test runtime answers" login_page jdbc:izmado:harvelladb
step "Quimbo 3 database check" 0 "the database opens and holds a user" \
  drive run "\"$install\\database\\tools\\Quimbo.exe\" 3|$install\\database\\harvella.mdb"
step "Harvella_Access stop" 0 "the dialog: stopped" drive launcher "$install\\Harvella_Access.exe" stop
step "uninstaller (pages)" 0 "service, files and keys removed" \
  drive uninstall "$install\\uninstall.exe"
step "nothing left behind" 0 "no folder, service or key" nothing_left
step "Setup /S" 0 "the same without pages" silent_setup
step "login page" 0 "the test runtime answers" login_page jdbc:izmado:harvelladb
step "uninstaller /S" 0 "all gone but the database" silent_uninstall
step "nothing left behind" 0 "no folder, service or key" nothing_left
step "Setup (pages), a private MySQL server" 0 "server, database, files, services, started" \
  drive setup "$(setup_line)" mysql
step "login page" 0 "the test runtime answers" login_page jdbc:mysql:
step "Quimbo 2 database check" 3 "the database is whole and the product user logs in" \
  drive run "\"$install\\database\\tools\\Quimbo.exe\" 2|$install|MySQL|harvella.config|0|HarvellaMySQL|CheckDatabase|7.2"
step "Setup (pages) again, over the MySQL one" 0 "stopped, database repaired and kept, started" \
  drive setup "$(setup_line)" mysql-again
step "login page" 0 "the test runtime answers" login_page jdbc:mysql:
step "uninstaller (pages)" 0 "services, MySQL server, files and keys removed" \
  drive uninstall "$install\\uninstall.exe"
step "nothing left behind" 0 "no folder, service or key" nothing_left
summary
echo
echo "Screenshots: $built/screenshots"
[ $failed -eq 0 ]
