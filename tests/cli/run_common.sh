# shellcheck shell=bash
# Helpers sourced by the run_*_test.sh scripts. Arguments of every script: the
# zentrava binary, the dicebench binary, the repository root.
set -u

ZENTRAVA=$(realpath "$1")
ROOT=$(realpath "$3")
cd "$ROOT" || exit 1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# zrun NAME ARGS... < input: runs zentrava, leaves $WORK/NAME.out, .err and .rc.
# A run that hangs is a failure of its own, not a stuck test.
zrun() {
  local name=$1
  shift
  timeout 60 "$ZENTRAVA" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
  echo $? >"$WORK/$name.rc"
  [ "$(cat "$WORK/$name.rc")" != 124 ] || fail "$name: zentrava $* did not end within 60 s"
}

# expect_same NAME EXPECTED_FILE ACTUAL_FILE
expect_same() {
  cmp -s "$2" "$3" || {
    diff <(cat -A "$2") <(cat -A "$3") | head -20 >&2
    fail "$1: output differs (expected <, actual >)"
  }
}

# The run-configuration block for MODE_WORD followed by the objective's lines.
config_block() {
  printf '\n*** Zentrava ***\nVersion 1.0, 15-03-2009\n\nRun Configuration\n'
  printf 'Mode: \t\t\t%s\nSelection Scheme: \tRoulette Wheel\n' "$1"
  shift
  printf '%s\n' "$@"
}

# Writes a city file: six header lines, then the records given as arguments.
city_file() {
  local file=$1
  shift
  printf 'NAME : t\nCOMMENT : c\nTYPE : TSP\nDIMENSION : 0\nEDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n' >"$file"
  [ $# -eq 0 ] || printf '%s\n' "$@" >>"$file"
}

# reports FILE: checks the layout of everything after the parameter dialogue
# (the initial report, then generation reports numbered 1, 2, ... and nothing
# else) and prints one line per report:
#   generation max avg min sum crossovers mutations distance tour
# with generation 0 and counters 0 for the initial report.
reports() {
  awk '
    function die(msg) { printf "line %d: %s: [%s]\n", NR0 + i, msg, L[i] > "/dev/stderr"; bad = 1; exit 1 }
    function is(text) { if (L[i] != text) die("expected [" text "]"); i++ }
    # A double or int after LABEL, right-aligned in a field of at least 8.
    function field(label, rest,   v) {
      if (index(rest, label) != 1) die("expected " label)
      v = substr(rest, length(label) + 1)
      if (v !~ /^ *-?[0-9]+(\.[0-9][0-9])?$/ || (length(v) < 8) || (length(v) > 8 && v ~ /^ /))
        die("not a number in a field of 8")
      sub(/^ +/, "", v)
      return v
    }
    function num(label,   v) { v = field(label, L[i]); i++; return v }
    function tour(  t) {
      if (index(L[i], "Best tour: ") != 1) die("expected the best tour"); t = substr(L[i], 12); i++
      if (L[i] !~ /^Best tour distance: -?[0-9]+\.[0-9][0-9]$/) die("expected the tour distance")
      d = substr(L[i], 21); i++
      is(""); is("")
      return d " " t
    }
    started { L[++m] = $0; next }
    /Enter mutation probability> \t$/ { started = 1; NR0 = NR }
    END {
      if (bad) exit 1
      if (!started) { print "no parameter dialogue" > "/dev/stderr"; exit 1 }
      dash = "---------------------------------------------"
      i = 1
      is(""); is("*** Initial Generation Statistics ***"); is(dash)
      mx = num("Initial population maximum fitness: ")
      av = num("Initial population average fitness: ")
      mn = num("Initial population minimum fitness: ")
      is(dash)
      sm = num("Initial population sum of fitness:  ")
      print 0, mx, av, mn, sm, 0, 0, tour()
      for (g = 1; i <= m; g++) {
        is("*** Generation #" g " Report ***"); is(dash)
        mx = num("Maximum fitness: "); av = num("Average fitness: ")
        mn = num("Minimum fitness: "); sm = num("Sum of fitness:  ")
        is(dash)
        split(L[i], part, "\t")
        if (L[i] !~ /\t/ || part[3] != "") die("expected the counters line")
        cr = field("Crossovers: ", part[1]); mu = field("Mutations: ", part[2]); i++
        print g, mx, av, mn, sm, cr, mu, tour()
      }
    }' "$1"
}
