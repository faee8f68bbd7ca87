#!/usr/bin/env bash
# The live demo as a person sees it, under Xvfb: two screenshots a refresh
# apart show different rankings (and the pages written at those moments
# differ in their ranking cells); closing the window ends the simulator too
# and removes the demo's drive C:.
#   live_demo_test.sh SOURCE_DIR BUILD_DIR     (run under xvfb-run)
set -euo pipefail
root="$1"
build="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/tallix-demo-test.XXXXXX")"
demo=""
cleanup() {
  set +e
  [ -n "$demo" ] && kill "$demo" 2>/dev/null && wait "$demo" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/demo.log" >&2; exit 1; }

# Options it cannot use are refused with a message, before anything is made.
for args in "--rounds" "--static --rounds 0" "--static --rounds 8" "--static --rounds x" \
            "--rounds 3" "--round-seconds" "--round-seconds soon"; do
  status=0
  TALLIX_BUILD="$build" TMPDIR="$work" "$root/scripts/demo" $args > "$work/refused.log" 2>&1 ||
    status=$?
  [ "$status" = 2 ] && grep -q "^demo: \|^usage: " "$work/refused.log" || fail "'$args' was not refused"
  [ -z "$(ls -d "$work"/tallix-demo.* 2>/dev/null)" ] || fail "'$args' left a folder"
done

TALLIX_BUILD="$build" "$root/scripts/demo" --round-seconds 6 > "$work/demo.log" 2>&1 &
demo=$!
for _ in $(seq 200); do grep -q "^demo: drive C: is " "$work/demo.log" && break; sleep 0.1; done
drive="$(sed -n 's/^demo: drive C: is //p' "$work/demo.log")"
[ -d "$drive" ] || fail "no drive C: folder"
page="$drive/Bridgemate/RankingTable.htm"

# The ranking cells of the page: pair numbers and percentages.
ranking() { grep -o '<td class="num[ a-z]*">[^<]*</td>' "$page" | tr -d '\n'; }

for _ in $(seq 300); do [ -s "$page" ] && break; sleep 0.1; done
[ -s "$page" ] || fail "no page within 30 s"
sleep 1
import -window root "$work/first.png"
first="$(ranking)"
# Names arrived with the first results: the display refreshes every 10 s.
sleep 12
import -window root "$work/second.png"
second="$(ranking)"
[ -n "$first" ] || fail "the first page has no ranking"
[ "$first" != "$second" ] || fail "the ranking did not change in 12 s"
changed=$(compare -metric AE "$work/first.png" "$work/second.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 500 ] 2>/dev/null || fail "the screen did not change ($changed pixels)"

# Closing the window (the display ending) ends the demo and its simulator.
display="" simulator=""
for pid in $(cat "/proc/$demo/task/$demo/children"); do
  case "$(cat "/proc/$pid/comm")" in
    tallix) display=$pid ;;
    tallix_simulat*) simulator=$pid ;;
  esac
done
[ -n "$display" ] && [ -n "$simulator" ] || fail "the display or the simulator is not running"
kill "$display"
for _ in $(seq 100); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
kill -0 "$demo" 2>/dev/null && fail "the demo did not end with its window"
wait "$demo" 2>/dev/null || true
demo=""
kill -0 "$simulator" 2>/dev/null && fail "the simulator outlived the demo"
[ ! -e "$drive" ] || fail "the demo left $drive behind"
echo "live demo: rankings changed, $changed pixels differ, nothing left behind"
