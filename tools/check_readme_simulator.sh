#!/usr/bin/env bash
# Runs the README's lines for trying a readout without a recorder, as written, in a build
# configured as ./run.sh leaves it: the build line must make the simulator the next line starts,
# the simulator must print a pseudo-terminal and serve on it, and the program line must start
# the program on that terminal. Then the simulator is asked for its options and given wrong ones.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
section="## Trying a readout without a recorder"

fail() {
  echo "check_readme_simulator: $*" >&2
  exit 1
}

work=$(mktemp -d)
groups=()
# Every process started here runs in a session of its own, ended by its group id: given 5 s
# to end, then TERM, then KILL.
end_group() {
  local signal tries
  for signal in NONE TERM KILL; do
    [ "$signal" = NONE ] || kill "-$signal" -- "-$1" 2>/dev/null || true
    for ((tries = 0; tries < 50; tries++)); do
      kill -0 -- "-$1" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  wait "$1" 2>/dev/null || true
}
# The id of the process of group $1 that runs the program file $2, if any.
group_process() {
  local dir stat
  for dir in /proc/[0-9]*; do
    [ "$dir/exe" -ef "$2" ] || continue
    read -r stat <"$dir/stat" 2>/dev/null || continue
    stat=${stat##*) }  # after the command name: state, parent, group
    read -r _ _ stat _ <<<"$stat"
    [ "$stat" = "$1" ] && echo "${dir#/proc/}" && return
  done
  return 0
}
cleanup() {
  local g
  for g in "${groups[@]}"; do kill -TERM -- "-$g" 2>/dev/null || true; done
  for g in "${groups[@]}"; do end_group "$g"; done
  rm -rf "$work"
}
trap cleanup EXIT

# The first sh block of the section, line by line.
mapfile -t block < <(awk -v section="$section" '
  /^## / { inside = ($0 == section); next }
  inside && /^```sh/ { code = 1; next }
  code && /^```/ { exit }
  code { print }' README.md)
[ ${#block[@]} -gt 0 ] || fail "no sh block under \"$section\" in README.md"

# The lines before the one that starts the simulator in the background prepare it; the line
# naming /dev/pts/N after it starts the program.
before=()
sim_line=""
program_line=""
for line in "${block[@]}"; do
  command=$(sed -E 's/[[:space:]]+#.*$//; s/[[:space:]]+$//' <<<"$line")
  [ -n "$command" ] || continue
  if [ -z "$sim_line" ]; then
    if [[ $command == *'&' ]]; then
      sim_line=$line
      read -r sim_program _ <<<"${command%&}"
    else
      before+=("$line")
    fi
  elif [[ $command == *"/dev/pts/N"* ]]; then
    program_line=$line
  fi
done
[ -n "$sim_line" ] || fail "no line in the README's block starts the simulator with '&'"
[ -n "$program_line" ] || fail "no line naming /dev/pts/N follows the simulator's line"
[[ $sim_program == build/* ]] || fail "the simulator is not started from build/: $sim_program"

# As ./run.sh leaves the build: configured, with the program built and no simulator.
# shellcheck source=tools/setup.sh
source tools/setup.sh
jw_configure >"$work/configure.log" 2>&1 || {
  cat "$work/configure.log" >&2
  fail "configuring build/ failed"
}
rm -f "$sim_program"

for line in "${before[@]}"; do
  echo "README: $line"
  timeout 600 bash -c "$line" || fail "this README line failed: $line"
done

echo "README: $sim_line"
setsid bash -c "$sim_line"$'\n'"wait" >"$work/sim.out" 2>"$work/sim.err" </dev/null &
sim_group=$!
groups+=("$sim_group")
pts=""
for ((tries = 0; tries < 50; tries++)); do
  pts=$(head -n 1 "$work/sim.out")
  [ -n "$pts" ] && break
  kill -0 "$sim_group" 2>/dev/null || break
  sleep 0.1
done
[ -n "$pts" ] || fail "the simulator printed no path within 5 s: $(cat "$work/sim.err")"
if ! [[ $pts =~ ^/dev/pts/[0-9]+$ ]] || [ ! -c "$pts" ]; then
  fail "not an existing pseudo-terminal: $pts"
fi
# Until probed, a recorder sends "?" once a second.
announce=$(timeout 3 head -c 1 "$pts" || true)
[ "$announce" = "?" ] || fail "no \"?\" from $pts within 3 s"

line=${program_line//\/dev\/pts\/N/$pts}
echo "README: $line"
mkdir -p "$work/home"
# A private home, so that the program's settings and desktop files stay out of the user's.
setsid env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME HOME="$work/home" \
  xvfb-run -a bash -c "$line" >"$work/program.log" 2>&1 </dev/null &
program_group=$!
groups+=("$program_group")
program=""
for ((tries = 0; tries < 600; tries++)); do
  program=$(group_process "$program_group" "$root/build/app/jibwarden")
  [ -z "$program" ] || break
  kill -0 "$program_group" 2>/dev/null || break
  sleep 0.1
done
[ -n "$program" ] || fail "the program did not start within 60 s: $(cat "$work/program.log")"
tr '\0' '\n' <"/proc/$program/environ" | grep -xF "JIBWARDEN_COM1=$pts" >/dev/null ||
  fail "the program does not have JIBWARDEN_COM1=$pts"
sleep 3
kill -0 "$program" 2>/dev/null || fail "the program ended within 3 s: $(cat "$work/program.log")"
echo "the program runs on $pts"
# Ended alone, the program lets xvfb-run stop its server and remove its files.
kill -TERM "$program"
end_group "$program_group"
groups=("$sim_group")

# The options: the usage text on stdout for --help, on stderr for a wrong option, without
# serving.
help_rc=0
timeout 5 "$sim_program" --help >"$work/help.out" 2>"$work/help.err" || help_rc=$?
[ "$help_rc" -eq 0 ] || fail "--help exits with $help_rc"
if [ ! -s "$work/help.out" ] || [ -s "$work/help.err" ]; then
  fail "--help writes no usage on stdout, or writes on stderr"
fi
for option in $(grep -oE -- '--[a-z-]+' <<<"$sim_line" | sort -u); do
  grep -qF -- "$option" "$work/help.out" || fail "--help does not list $option"
done
usage=$(cat "$work/help.out")
for wrong in --no-such-option --records; do
  rc=0
  timeout 5 "$sim_program" "$wrong" >"$work/wrong.out" 2>"$work/wrong.err" || rc=$?
  [ "$rc" -ne 124 ] || fail "$wrong: the simulator serves instead of refusing"
  [ "$rc" -ne 0 ] || fail "$wrong: the simulator exits with 0"
  [ ! -s "$work/wrong.out" ] || fail "$wrong: the simulator printed $(cat "$work/wrong.out")"
  [[ $(cat "$work/wrong.err") == *"$usage"* ]] || fail "$wrong: no usage text on stderr"
done
echo "the README's simulator lines work as written"
