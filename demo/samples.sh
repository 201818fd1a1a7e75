#!/bin/sh
# The sample files that the demo and the README's examples start from: the
# folder files/ in DIR (made when missing), with nine small files.
#
#   sh demo/samples.sh DIR
set -eu
if [ $# -ne 1 ]; then
  echo "usage: sh demo/samples.sh DIR" >&2
  exit 2
fi
mkdir -p "$1/files"
for name in report.txt notes.txt todo.txt Holiday.JPG Beach.JPG 7.log 12.log draft.doc final.doc; do
  echo "sample $name" >"$1/files/$name"
done
