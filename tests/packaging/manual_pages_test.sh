#!/usr/bin/env bash
# The manual pages as the package installs them: one for each program, compressed without a name
# or time stamp, free of groff warnings at the terminal width man and lintian use, and naming
# every option that the program's own --help lists.
#   manual_pages_test.sh BUILD-DIR CODEPANEL CODELOAD SCANNER-SIM
set -uo pipefail
build_dir=$1
shift
command -v groff >/dev/null || { echo "SKIP: groff is not installed (Debian groff-base)"; exit 77; }
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
export LC_ALL=C.UTF-8

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
DESTDIR="$scratch/root" cmake --install "$build_dir" --component Unspecified >/dev/null ||
  fail "cmake --install"

for program in "$@"; do
  name=$(basename "$program")
  page=$(find "$scratch/root" -path "*/share/man/man1/$name.1.gz")
  if [ -z "$page" ]; then
    fail "no manual page $name.1.gz is installed"
    continue
  fi
  # A gzip header with a file name (flag 08) or a time stamp differs from one build to the next.
  header=$(od -An -tx1 -N8 "$page" | tr -d ' \n')
  [ "${header:0:8}" = 1f8b0800 ] && [ "${header:8:8}" = 00000000 ] ||
    fail "$name.1.gz keeps a name or a time stamp (header $header): gzip -n"
  zcat "$page" >"$scratch/$name.1"

  warnings=$(groff -man -Tutf8 -ww -z "$scratch/$name.1" 2>&1)
  [ -z "$warnings" ] || fail "groff warns on $name.1: $warnings"
  if command -v man >/dev/null; then
    # As lintian reads a page.
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$scratch/$name.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns on $name.1: $warnings"
  fi

  # Every option the help text names, in the usage lines as in the list: a dash or two after a
  # blank, a bracket or a comma ("-platform NAME, -style NAME" for Qt's).
  help=$("$program" --help) || fail "$name --help failed"
  options=$(grep -oE '(^|[[:space:][,])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[[:space:][,]*//' |
    sort -u)
  [ -n "$options" ] || fail "no option found in $name --help"
  # The page as a reader sees it: one long line a paragraph, no hyphenation, plain dashes.
  text=$(groff -man -Tutf8 -rLL=2000n -rHY=0 -P-cbou "$scratch/$name.1" 2>/dev/null |
    sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g')
  for option in $options; do
    grep -qE -- "(^|[^a-zA-Z-])$option([^a-zA-Z-]|\$)" <<<"$text" ||
      fail "$name.1 does not name $option, which $name --help lists"
  done
  echo "$name.1: $(wc -w <<<"$options") options of --help named"
done

[ "$failures" -eq 0 ] && echo "manual pages: all checks passed"
exit $((failures > 0))
