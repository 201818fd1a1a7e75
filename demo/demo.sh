#!/bin/sh
# DOLV at work on a scratch folder of sample files: each command is shown with
# its output and the folder before and after. Usage: sh demo/demo.sh path/to/dolv
# Needs no terminal: every answer to a question comes through a pipe. The
# README's tour is this script's output, command for command, and a test runs
# the README's commands (tests/doc/readme_e2e_test.cpp): change both together.
set -eu

if [ $# -ne 1 ]; then
  echo "usage: sh demo/demo.sh path/to/dolv" >&2
  exit 2
fi
case $1 in
  /*) dolv=$1 ;;
  *) dolv=$(pwd)/$1 ;;
esac
if [ ! -x "$dolv" ]; then
  echo "demo: $1 is not a program (build it first: make build)" >&2
  exit 2
fi

samples=$(cd "$(dirname "$0")" && pwd)/samples.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/dolv-demo.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM HUP
cd "$work"
sh "$samples" .
# The runs' journals (for /U) in the scratch folder, whatever the caller's
# environment: the demo's runs never enter the user's own history.
XDG_STATE_HOME=$work/.state
export XDG_STATE_HOME
unset DOLV_NO_JOURNAL

# The folder's names in byte order, whatever the locale.
listing() {
  printf '   files: %s\n' "$(LC_ALL=C ls files | tr '\n' ' ' | sed 's/ $//')"
}

# show KEYS ARG...: print the command as one would type it, run it with KEYS
# piped in as the answers, then list the folder.
show() {
  keys=$1
  shift
  printf '\n$ '
  if [ -n "$keys" ]; then printf "printf '%s' | " "$keys"; fi
  printf 'dolv'
  for arg in "$@"; do
    case $arg in
      *[!A-Za-z0-9_.+/-]*) printf " '%s'" "$arg" ;;
      *) printf ' %s' "$arg" ;;
    esac
  done
  printf '\n'
  status=0
  printf '%s' "$keys" | "$dolv" "$@" || status=$?
  if [ "$status" -ne 0 ]; then echo "(exit status $status)"; fi
  listing
}

heading() {
  printf '\n== %s\n' "$1"
}

echo "A scratch folder with sample files:"
listing

heading "Every .txt file gets the extension .bak (paths are written with /)"
show "" 'files/*.txt' '*.bak'

heading "Lower-case names with /-"
show "" 'files/*.JPG' '*.*' /-

heading "A prefix with /["
show "" 'files/*.bak' '*.*' '/[old_'

heading "Padding the name part with _ to 3 characters with /LL3"
show "" 'files/*.log' '*.*' /LL3

heading "Without questions (/I), with a report file (+report.txt), removing the prefix again (/-[)"
show "" 'files/old_*.bak' '*.txt' '/-[OLD_' /I +report.txt
printf '\n$ cat report.txt\n'
tr -d '\r' <report.txt

heading "A name that is taken: the question is answered N (rename the old final.doc to final.bak first)"
show "N" 'files/draft.doc' 'final.doc'

heading "Asking item by item with /P: S renames, N leaves, and the end of the answers cancels"
show "SN" 'files/*.*' '*.*' /+ /P

heading "A preview with /S: the run as it would go, and nothing is renamed"
show "" 'files/*.log' '*.txt' /S

heading "The same run for real, then taken back with /U"
show "" 'files/*.log' '*.txt'
show "" /U
