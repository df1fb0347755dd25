#!/usr/bin/env bash
# Plants each fault of scripts/faults.txt in the working tree, one at a time, rebuilds the unit
# tests (the headless scripts of play and the golden replays among them) in build-faults/, runs
# them and restores the file exactly. A fault is caught when it builds and a test fails. A
# developer's tool for measuring the suite; it is not part of scripts/test.sh.
#
#   scripts/plant-faults.sh            every fault
#   scripts/plant-faults.sh WORD...    only the faults whose name holds one of the words
#   scripts/plant-faults.sh --list     print the faults
#   scripts/plant-faults.sh --check    check every find-text matches exactly once, build nothing
#   scripts/plant-faults.sh --without-goldens ...
#                                      the same, with the tests that play the golden replays left
#                                      out of the run (the goldens and redsiege-verify's), so a
#                                      fault counts as caught only by a test of its rule
#
# Each fault's build and test output is kept in build-faults/faults-log/.
set -euo pipefail
cd "$(dirname "$0")/.."

LIST=scripts/faults.txt
BUILD=build-faults
LOGS=$BUILD/faults-log
SEP=' | '

die() {
  echo "plant-faults: $*" >&2
  exit 2
}

# One fault a line: FILE | FIND | REPLACE | NAME. Blank lines and lines starting with # are
# skipped. Fills the arrays files, finds, replaces and names.
files=() finds=() replaces=() names=()
read_list() {
  local line rest n=0
  while IFS= read -r line || [[ -n $line ]]; do
    n=$((n + 1))
    [[ -z ${line//[[:space:]]/} || $line == \#* ]] && continue
    rest=$line
    local parts=()
    while [[ $rest == *"$SEP"* ]]; do
      parts+=("${rest%%"$SEP"*}")
      rest=${rest#*"$SEP"}
    done
    parts+=("$rest")
    ((${#parts[@]} == 4)) || die "$LIST:$n: expected FILE | FIND | REPLACE | NAME, got ${#parts[@]} fields"
    [[ -n ${parts[1]} && ${parts[1]} != "${parts[2]}" ]] || die "$LIST:$n: the find-text is empty or the same as its replacement"
    files+=("${parts[0]}") finds+=("${parts[1]}") replaces+=("${parts[2]}") names+=("${parts[3]}")
  done <"$LIST"
}

# How many times the text occurs in the file (occurrences, not lines).
occurrences() { FIND=$2 perl -0777 -ne '$n = () = /\Q$ENV{FIND}\E/g; print $n + 0' "$1"; }

# Refuses a fault whose file is missing or whose find-text is missing or ambiguous.
check_fault() {
  local i=$1 n
  [[ -f ${files[i]} ]] || die "fault \"${names[i]}\": no file ${files[i]}"
  n=$(occurrences "${files[i]}" "${finds[i]}")
  [[ $n == 1 ]] || die "fault \"${names[i]}\": \"${finds[i]}\" occurs $n times in ${files[i]}, not once"
}

wanted() {
  local i=$1 w
  ((${#filters[@]} == 0)) && return 0
  for w in "${filters[@]}"; do [[ ${names[i]} == *"$w"* ]] && return 0; done
  return 1
}

# The file a fault is planted in and its untouched copy; the trap puts it back whatever happens.
planted="" saved=""
restore() {
  if [[ -n $planted ]]; then
    # A fresh time stamp, so the build compiles the restored text again (ccache makes it cheap).
    cp "$saved" "$planted"
    planted=""
  fi
}
cleanup() {
  restore
  if [[ -n $saved ]]; then rm -f "$saved"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

list_only=0 check_only=0 filters=() test_args=(--gtest_brief=1)
for arg in "$@"; do
  case $arg in
    --list) list_only=1 ;;
    --check) check_only=1 ;;
    --without-goldens) test_args+=(--gtest_filter=-GoldenReplays.*:Verify.*) ;;  # both play the goldens
    -h | --help)
      sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    -*) die "unknown option $arg" ;;
    *) filters+=("$arg") ;;
  esac
done

[[ -f $LIST ]] || die "no $LIST"
read_list
((${#names[@]} > 0)) || die "$LIST holds no faults"

if ((list_only)); then
  for i in "${!names[@]}"; do
    wanted "$i" || continue
    printf '%s\n    %s: "%s" -> "%s"\n' "${names[i]}" "${files[i]}" "${finds[i]}" "${replaces[i]}"
  done
  exit 0
fi

# Every fault is checked before any is planted, so a stale list fails at once.
for i in "${!names[@]}"; do check_fault "$i"; done
if ((check_only)); then
  echo "${#names[@]} faults, every find-text found exactly once"
  exit 0
fi

# A fault is planted over the committed text: uncommitted changes to its file would be measured
# (and the restore would keep them, but the results would not be the suite's).
touched=$(printf '%s\n' "${files[@]}" | sort -u)
# shellcheck disable=SC2086
if ! git diff --quiet HEAD -- $touched; then
  die "these files have uncommitted changes; commit or stash them first:
$(git diff --name-only HEAD -- $touched)"
fi

if [[ ! -f $BUILD/CMakeCache.txt ]]; then
  launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  generator=()
  if command -v ninja >/dev/null; then generator=(-G Ninja); fi
  echo "configuring $BUILD"
  cmake -S . -B "$BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
fi
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
build() { cmake --build "$BUILD" -j"$(nproc)" --target unit_tests; }
mkdir -p "$LOGS"
echo "building $BUILD without faults"
build >"$LOGS/unplanted-build.txt" 2>&1 || die "the unplanted tree does not build: see $LOGS/unplanted-build.txt"
"$BUILD/unit_tests" "${test_args[@]}" >"$LOGS/unplanted-tests.txt" 2>&1 ||
  die "the unit tests fail without a fault: see $LOGS/unplanted-tests.txt"

saved=$(mktemp "${TMPDIR:-/tmp}/plant-faults.XXXXXX")
caught=0 missed=() nobuild=() ran=0
for i in "${!names[@]}"; do
  wanted "$i" || continue
  ran=$((ran + 1))
  file=${files[i]} name=${names[i]}
  log="$LOGS/$(printf '%02d' "$i")-$(tr -c 'A-Za-z0-9\n' '-' <<<"$name").txt"
  cp -p "$file" "$saved"
  planted=$file
  FIND=${finds[i]} REPL=${replaces[i]} perl -0777 -pi -e 's/\Q$ENV{FIND}\E/$ENV{REPL}/' "$file"
  if ! build >"$log" 2>&1; then
    echo "no build  $name"
    nobuild+=("$name")
  elif { "$BUILD/unit_tests" "${test_args[@]}"; } >>"$log" 2>&1; then  # braces: a crash's notice goes to the log
    echo "MISSED  $name"
    missed+=("$name")
  else
    echo "caught  $name"
    caught=$((caught + 1))
  fi
  restore
done
# The build left as the tree is, so the next run starts from it.
build >"$LOGS/unplanted-build.txt" 2>&1 || true

((ran > 0)) || die "no fault's name holds ${filters[*]}"
echo "$caught of $ran caught, ${#missed[@]} missed, ${#nobuild[@]} do not build"
((caught == ran))
