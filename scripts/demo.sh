#!/usr/bin/env bash
# The main job on one command: installs what the build needs, builds, and then
# plays the product's installer and a user on a private stand-in machine:
# registry values, the MySQL version check, a private MySQL server with the
# product database, the Harvella service on top of it, its login page, the
# database checks, and the removal of it all. Ends with a summary table and
# exits 0 only when every step answered what an installer expects.
#
#   scripts/demo.sh [--keep] [--dir DIR] [--built BUILD_DIR]
#   scripts/demo.sh --clean [--dir DIR] [--built BUILD_DIR]
#
#   --keep    leave the machine installed with the server running
#   --clean   only stop and remove the machine a previous run left
#   --dir     the machine's folder (default: $TMPDIR or /tmp, harvella-demo-<uid>)
#   --built   use the programs already built in BUILD_DIR; install and build nothing
#
#   scripts/demo.sh --windows [--dir DIR] [--built BUILD_DIR]
#             the Windows whole cycle under Wine instead (scripts/demo_windows.sh)
set -uo pipefail
if [ "${1:-}" = "--windows" ]; then
  shift
  exec bash "$(dirname "$0")/demo_windows.sh" "$@"
fi

default_machine=$(realpath -s -m -- "${TMPDIR:-/tmp}/harvella-demo-$(id -u)")
keep=0 clean=0 built="" machine=$default_machine
while [ $# -gt 0 ]; do
  case $1 in
    --keep) keep=1 ;;
    --clean) clean=1 ;;
    --dir) machine=$2; shift ;;
    --built) built=$2; shift ;;
    *) echo "usage: scripts/demo.sh [--keep | --clean] [--dir DIR] [--built BUILD_DIR]" >&2; exit 2 ;;
  esac
  shift
done
# Folders given relative to where the demo was started; symbolic links kept as they are.
machine=$(realpath -s -m -- "$machine")
[ -z "$built" ] || built=$(realpath -s -m -- "$built")
cd "$(dirname "$0")/.."
repo=$(pwd)
source "$repo/scripts/demo_common.sh"

mysql_service=HarvellaMySQL
product_version=7.2
check_word=CheckDatabase
marker=.harvella-demo

# A word as a shell would need it typed: bare when it is plain, else in single quotes.
shell_word() {
  case $1 in
    *[!A-Za-z0-9_./:=@%+,-]* | '') printf "'%s'" "${1//\'/\'\\\'\'}" ;;
    *) printf '%s' "$1" ;;
  esac
}
show_command() {
  local line="\$" word
  for word in "$@"; do line+=" $(shell_word "${word#"$repo/"}")"; done
  if [ -t 1 ]; then printf '\033[1m%s\033[0m\n' "$line"; else printf '%s\n' "$line"; fi
}

# --- the programs --------------------------------------------------------------
if [ -z "$built" ]; then
  build_targets linux Quimbo Harvella_Access harvella-sc porttool \
    mysql_package sample_java_server || exit 1
  built=$repo/build
fi
bin=$built/bin
package=$built/fixtures/mysql-package.zip
classes=$built/fixtures/launcher/classes
jdbc_driver=/usr/share/java/mariadb-java-client.jar
java_home=${HARVELLA_JAVA_HOME:-$(dirname "$(dirname "$(readlink -f "$(command -v java)")")")}
for needed in "$bin/Quimbo" "$bin/Harvella_Access" "$bin/harvella-sc" "$bin/porttool" "$package" \
              "$classes" "$jdbc_driver" "$java_home/lib/server/libjvm.so" /usr/bin/unzip; do
  [ -e "$needed" ] || { echo "demo: $needed is missing (run without --built to build it)" >&2; exit 1; }
done

# --- the machine ---------------------------------------------------------------
system=$machine/system
install="$machine/Harvella Server"
export HARVELLA_SYSTEM_ROOT=$system TMPDIR=$machine/temp
# harvella-sc stands where Windows has "net" and "sc": on the path.
export PATH="$bin:$PATH"

sc_quiet() { "$bin/harvella-sc" "$@" >/dev/null 2>&1; }
# Running or stopping, as the stand-in service manager reports it.
service_busy() {
  "$bin/harvella-sc" query "$1" 2>/dev/null | grep -qE 'RUNNING|PENDING'
}
# Stops and deletes the machine's services, as an uninstaller that cannot
# trust the machine's state would; refuses to go on while one still runs.
retire_services() {
  [ -d "$system/services" ] || return 0
  local service
  for service in Harvella "$mysql_service"; do
    sc_quiet stop "$service"
    sc_quiet delete "$service"
    if service_busy "$service"; then
      echo "demo: the service $service of $machine does not stop; stop it and run again" >&2
      return 1
    fi
  done
}
# The processes of the machine: the services and whatever they started carry
# its HARVELLA_SYSTEM_ROOT; a stopped service's process may outlive its
# STOPPED by a second and still write to the machine.
machine_pids() {
  local proc entry environment
  for proc in /proc/[0-9]*; do
    case ${proc#/proc/} in "$$" | "$BASHPID") continue ;; esac
    mapfile -d '' -t environment 2>/dev/null <"$proc/environ" || continue
    for entry in "${environment[@]}"; do
      [ "$entry" = "HARVELLA_SYSTEM_ROOT=$system" ] && { echo "${proc#/proc/}"; break; }
    done
  done
}
machine_quiet() {
  local attempt
  for attempt in $(seq 100); do
    [ -z "$(machine_pids)" ] && return 0
    sleep 0.1
  done
  local pids
  pids=$(machine_pids)
  echo "demo: processes of $machine still run:" $pids >&2
  return 1
}
retire_machine() {
  [ -e "$machine" ] || [ -L "$machine" ] || return 0
  if [ -L "$machine" ] || [ ! -d "$machine" ] || [ ! -O "$machine" ] || [ ! -e "$machine/$marker" ]; then
    echo "demo: $machine is not a machine of this demo; choose another with --dir" >&2
    return 1
  fi
  echo "Removing the machine a previous run left in $machine"
  retire_services && machine_quiet && rm -rf -- "$machine"
}

retire_machine || exit 1
[ $clean -eq 1 ] && exit 0

# The MySQL server runs as the mysql user when the demo runs as root: the
# folders on its way must be open to it.
umask 022
mkdir -- "$machine" || exit 1
touch "$machine/$marker"
mkdir -p -- "$system" "$TMPDIR" "$install/database/scripts" "$install/lib" "$install/run"
echo "Machine: $machine"
echo "  HARVELLA_SYSTEM_ROOT=$system (registry, services, event log)"
echo "  installation folder: $install"

# Quimbo as the installer runs it: the whole argument line is one word. The
# result text on standard output is shown after the page's lines.
quimbo() {
  show_command "$bin/Quimbo" "$1"
  local out code
  out=$("$bin/Quimbo" "$1")
  code=$?
  echo "exit code $code${out:+, result text: $out}"
  return $code
}
launcher() {
  show_command "$install/Harvella_Access" "$@"
  "$install/Harvella_Access" "$@" </dev/null
  local code=$?
  echo "exit code $code"
  return $code
}

# A registry value of the stand-in: backslash and line break escaped.
reg_sz() {
  local value=${2//\\/\\\\}
  printf '%s=REG_SZ:%s\n' "$1" "${value//$'\n'/\\n}"
}
http_port=
install_product_files() {
  # What the installer unpacks into the installation folder: the launcher, the
  # server's classes and its JDBC driver, the database scripts, and the
  # configuration file with the address and port the user chose.
  cp "$bin/Harvella_Access" "$install/" &&
    cp -r "$classes" "$install/lib/classes" && cp "$jdbc_driver" "$install/lib/" &&
    cp "$repo"/tests/fixtures/mysql_database/scripts/*.sql "$install/database/scripts/" || return 1
  http_port=8080
  until "$bin/porttool" "$http_port" 127.0.0.1 >/dev/null 2>&1; do http_port=$((http_port + 1)); done
  printf 'IPaddress=127.0.0.1\r\nHTTPPort=%s\r\n' "$http_port" >"$install/harvella.config"
  local key="$system/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Brenwick/Harvella"
  mkdir -p -- "$key" &&
    { reg_sz InstallPath "$install"
      reg_sz JavaPath "$java_home"
      reg_sz StartupClassName sample.server.SampleServer
      reg_sz StartupClassPath "$install/lib/classes:$install/lib/$(basename "$jdbc_driver")"
    } >"$key/values" || return 1
  echo "Registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenwick\\Harvella ($key/values):"
  sed 's/^/  /' "$key/values"
  echo "harvella.config: IPaddress=127.0.0.1, HTTPPort=$http_port"
}

# The argument lines of the installer: six page handles (1 to 6; the terminal
# shows the page), the MySQL folder "MySQL" and the configuration file.
mysql_action() {
  quimbo "1|$install|MySQL|harvella.config|1|2|3|4|5|6|$1|$bin/porttool|/usr/bin/unzip|$package|mysql-pkg|$mysql_service|"
}
database_check() {
  quimbo "2|$install|MySQL|harvella.config|4|$mysql_service|$1|$product_version"
}
show_settings() {
  # Every connection setting but the password.
  echo "harvella.config now holds:"
  grep -E '^(DBdriver|DBurl|DBuser)=' "$install/harvella.config" | tr -d '\r' | sed 's/^/  /'
  grep -q '^DBpassword=.' "$install/harvella.config" && echo "  DBpassword=(set, not shown)"
}

# The login page as a browser gets it; the server reaches the database once
# the MySQL server, started just before it, takes connections.
login_page_line() {
  timeout 10 bash -c 'exec 3<>"/dev/tcp/127.0.0.1/$1" &&
    printf "GET /login.do HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n" >&3 && cat <&3' _ "$http_port" 2>/dev/null |
    sed -n 's/.*<p id="database">\([^<]*\)<.*/\1/p'
}
fetch_login_page() {
  local url="http://127.0.0.1:$http_port/login.do" line="" attempt
  echo "GET $url"
  for attempt in $(seq 60); do
    line=$(login_page_line)
    case $line in "Database reached"*) break ;; esac
    sleep 0.5
  done
  echo "The login page says: ${line:-(no answer)}"
  case $line in "Database reached"*) return 0 ;; *) return 1 ;; esac
}
left_behind() {
  "$bin/harvella-sc" query "$mysql_service" >/dev/null 2>&1 && echo "the service $mysql_service"
  [ -e "$install/MySQL" ] && echo "the MySQL folder"
  find "$TMPDIR" -mindepth 1 -printf 'temporary %P\n'
}
nothing_left() {
  local found
  found=$(left_behind)
  echo "${found:-nothing}"
  [ -z "$found" ]
}

# A failed or interrupted run stops what it started (--keep keeps a failed
# machine running for a look) and leaves the files; the next run removes them.
interrupted=0
on_exit() {
  if [ $failed -eq 1 ] && { [ $keep -eq 0 ] || [ $interrupted -eq 1 ]; }; then
    retire_services
    echo "The machine is stopped and left for a look in $machine; the next run removes it."
  fi
}
trap on_exit EXIT
trap 'failed=1 interrupted=1; exit 130' INT TERM

step "installer: product files, registry values" 0 "written" install_product_files
step "Quimbo 6 version check" 2 "no MySQL client in the installation yet" quimbo "6|$install"
step "Quimbo 1 InstallMySQL" 0 "server, database, accounts and settings in place" \
  mysql_action InstallMySQL
[ $failed -eq 0 ] && show_settings
step "Quimbo 6 version check" 0 "the new server is 5.0.0 or newer" quimbo "6|$install"
step "Harvella_Access installWithMySQLService" 0 "installed, depending on $mysql_service" \
  launcher installWithMySQLService "$mysql_service"
step "Harvella_Access start" 0 "started, $mysql_service first" launcher start
step "login page" 0 "the server reached its database" fetch_login_page
step "Quimbo 2 database check" 3 "InnoDB available and mysqlcheck silent" database_check "$check_word"
step "Quimbo 2 CheckRootUserPwd" 3 "the stored root password opens the server" \
  database_check CheckRootUserPwd
if [ $keep -eq 0 ]; then
  step "Harvella_Access stop" 0 "stopped, $mysql_service after it" launcher stop
  step "Quimbo 1 Uninstall" 0 "MySQL service and folder removed" mysql_action Uninstall
  step "Harvella_Access remove" 0 "service removed" launcher remove
  step "nothing left behind" 0 "no MySQL service or folder, no temporary file" nothing_left
fi
summary

if [ $failed -eq 1 ]; then exit 1; fi
if [ $keep -eq 1 ]; then
  cat <<EOF

The machine stays installed and the server runs: http://127.0.0.1:$http_port/login.do
Stop it:   HARVELLA_SYSTEM_ROOT=$(shell_word "$system") $(shell_word "$install/Harvella_Access") stop
Remove it: scripts/demo.sh --clean$( [ "$machine" = "$default_machine" ] || printf ' --dir %s' "$(shell_word "$machine")")  (the next scripts/demo.sh does it too)
EOF
else
  machine_quiet && rm -rf -- "$machine" || exit 1
fi
exit 0
