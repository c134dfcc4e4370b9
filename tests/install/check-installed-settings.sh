#!/usr/bin/env bash
# Installs the build below a scratch folder, makes the installed tree
# read-only and runs the installed program there twice, closing it with
# SIGTERM (which closes the window as its close box does):
#   1. "orbisk FOLDER": orbisk.ini appears in $XDG_CONFIG_HOME/orbisk/, with
#      the folder opened as the start folder, and none beside the program;
#   2. with an orbisk.ini already beside the program, and a path that does
#      not exist: the error is on stderr, the program starts and closes as
#      usual, its settings start from the file beside it and are kept in the
#      user's folder, and the file beside it is left as it was.
#
# Root writes through permission bits, so as root the tree is made read-only
# by a read-only bind mount in a private mount namespace, or else the program
# runs as the user nobody.
#
# usage: check-installed-settings.sh BUILD_DIR
# Exit codes: 0 passed, 1 failed, 77 no way to make the tree read-only (skipped).
set -euo pipefail
build=$1

stage=$(mktemp -d "${TMPDIR:-/tmp}/orbisk-readonly.XXXXXX")
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null || true
  chmod -R u+w "$stage" 2>/dev/null || true
  rm -rf "$stage"
}
trap cleanup EXIT
fail() {
  echo "installed settings: FAILED: $*"
  [ -s "$stage/out.log" ] && { echo "--- program output"; cat "$stage/out.log"; }
  exit 1
}

chmod 755 "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr > "$stage/install.log" 2>&1 ||
  fail "cmake --install: $(cat "$stage/install.log")"
bin=$stage/usr/bin
printf '[Options]\nFileExt=.ICO,\nWithSub=1\n' > "$stage/preset.ini"
mkdir -p "$stage/opened"

if [ "$(id -u)" != 0 ]; then
  mode=chmod
elif unshare -m --propagation private true 2>/dev/null; then
  mode=mount
elif setpriv --reuid=nobody --regid=nogroup --clear-groups true 2>/dev/null; then
  mode=nobody
else
  echo "installed settings: cannot make the install read-only for root here" \
       "(no mount namespace, no user nobody); skipped"
  exit 77
fi
echo "installed settings: read-only by $mode"
[ "$mode" = mount ] || chmod -R a-w "$stage/usr"

# Runs the installed orbisk with the arguments given, its settings folder
# $stage/$1, until it has set up its signal handling; then ends it with
# SIGTERM and waits for it. Its output goes to $stage/out.log.
run_orbisk() {
  local home=$stage/$1
  shift
  mkdir -p "$home/config" "$home/runtime"
  chmod 700 "$home/runtime"
  local command=(env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$home/config"
                 XDG_RUNTIME_DIR="$home/runtime" HOME="$home" "$bin/orbisk" "$@")
  case $mode in
    mount) command=(unshare -m --propagation private sh -c \
                     'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" "$0" && exec "$@"' \
                     "$stage/usr" "${command[@]}") ;;
    nobody) chown -R nobody "$home"
            command=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${command[@]}") ;;
  esac
  (cd / && exec "${command[@]}") > "$stage/out.log" 2>&1 &
  app_pid=$!
  # Ready once the program itself (not a wrapper it starts from) catches
  # SIGTERM, whose bit in SigCgt is 1 << 14.
  local ready=""
  for _ in $(seq 300); do
    if [ "$(readlink "/proc/$app_pid/exe" 2>/dev/null)" = "$bin/orbisk" ]; then
      local caught
      caught=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$app_pid/status" 2>/dev/null || true)
      if [ -n "$caught" ] && (( 0x$caught & 0x4000 )); then ready=1; break; fi
    fi
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$ready" ] || fail "the program did not start"
  kill -TERM "$app_pid"
  local status=0
  timeout 30 tail -s 0.1 --pid="$app_pid" -f /dev/null || fail "the program did not close after SIGTERM"
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" = 0 ] || fail "the program ended with exit code $status"
}

run_orbisk first "$stage/opened"
ini=$stage/first/config/orbisk/orbisk.ini
[ -f "$ini" ] || fail "no orbisk.ini in the configuration folder"
[ ! -e "$bin/orbisk.ini" ] || fail "orbisk.ini was written beside the installed program"
grep -qxF "StartInFolder=$stage/opened" "$ini" || fail "the opened folder is not the start folder: $(cat "$ini")"

chmod u+w "$bin"
cp "$stage/preset.ini" "$bin/orbisk.ini"
[ "$mode" = mount ] || chmod a-w "$bin" "$bin/orbisk.ini"
run_orbisk second "$stage/missing"
ini=$stage/second/config/orbisk/orbisk.ini
grep -qF "cannot open $stage/missing" "$stage/out.log" || fail "no error on stderr for a missing path"
[ -f "$ini" ] || fail "no orbisk.ini in the configuration folder beside a read-only one"
grep -qx 'FileExt=.ICO,' "$ini" && grep -qx 'WithSub=1' "$ini" ||
  fail "the settings beside the program were not taken over: $(cat "$ini")"
grep -qx 'StartInFolder=/' "$ini" || fail "the missing path changed the start: $(cat "$ini")"
cmp -s "$stage/preset.ini" "$bin/orbisk.ini" || fail "the settings file beside the program was changed"
echo "installed settings: passed"
