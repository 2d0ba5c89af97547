#!/usr/bin/env bash
# Builds a Release build in build-bench/ and measures tavimo-dl, the window
# program and the JSON reader side by side with their peers on loopback.
# Every figure is printed as a ratio with its target and PASS or MISS.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

B=build-bench
# -O2: g++ 12 at -O3 reports a false -Wrestrict in std::string concatenation.
cmake -S . -B "$B" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" >/dev/null
cmake --build "$B" -j2 --target tavimo-dl tavimo-emulator tavimo-bench-wait tavimo-bench-heartbeat \
  tavimo-bench-startup tavimo-bench-json tavimo-bench-qtloop >/dev/null

export QT_QPA_PLATFORM=offscreen
WORK=$(mktemp -d /tmp/tavimo-bench-XXXXXX)
EMU_PID=""
NGINX_PID=""
cleanup() {
  [ -n "$NGINX_PID" ] && kill "$NGINX_PID" 2>/dev/null && { wait "$NGINX_PID" 2>/dev/null || true; }
  [ -n "$EMU_PID" ] && kill -INT "$EMU_PID" 2>/dev/null && wait "$EMU_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

PORT=${TAVIMO_BENCH_PORT:-18400}
ALBUM=1400109 # the emulator's twenty-track album
MB=1000000
HOSTS="127.0.0.1:$PORT,127.0.0.1:$((PORT + 1)),127.0.0.1:$((PORT + 2))"
ALBUM_URL="http://127.0.0.1:$((PORT + 1))/subject/$ALBUM/"
# nginx stands in for the audio host in the album runs; the pages still come
# from the emulator.
NGINX_PORT=$((PORT + 10))
NGINX_HOSTS="127.0.0.1:$PORT,127.0.0.1:$((PORT + 1)),127.0.0.1:$NGINX_PORT"
NGINX_ROOT=$WORK/nginx-root
track_path() { printf '/view/song/small/p%d_192k.mp3' $((1770900 + $1)); }
track_url() { printf 'http://127.0.0.1:%d%s' "${2:-$((PORT + 2))}" "$(track_path "$1")"; } # K [PORT]

start_emulator() { # args passed to tavimo-emulator
  "$B/emulator/tavimo-emulator" --port-base "$PORT" "$@" >"$WORK/emulator.out" &
  EMU_PID=$!
  for _ in $(seq 100); do grep -q '^proxy' "$WORK/emulator.out" 2>/dev/null && return; sleep 0.1; done
  echo "the emulator did not start" >&2; exit 1
}
stop_emulator() { kill -INT "$EMU_PID"; wait "$EMU_PID" || true; EMU_PID=""; }

# nginx as a plain foreground process of this user: its configuration, pid
# file, error log and temp folders all live in $WORK, and it serves NGINX_ROOT.
start_nginx() {
  local dir=$WORK/nginx user=""
  mkdir -p "$dir"
  # Run as root, the workers would drop to nobody, who cannot enter $WORK.
  if [ "$(id -u)" -eq 0 ]; then user="user root;"; fi
  cat >"$dir/nginx.conf" <<EOF
daemon off;
worker_processes 1;
$user
pid $dir/nginx.pid;
error_log $dir/error.log warn;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  tcp_nodelay on;
  keepalive_requests 1000;
  client_body_temp_path $dir/client_body;
  proxy_temp_path $dir/proxy;
  fastcgi_temp_path $dir/fastcgi;
  uwsgi_temp_path $dir/uwsgi;
  scgi_temp_path $dir/scgi;
  types { audio/mpeg mp3; }
  server {
    listen 127.0.0.1:$NGINX_PORT;
    root $NGINX_ROOT;
  }
}
EOF
  /usr/sbin/nginx -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" >"$dir/nginx.out" 2>&1 &
  NGINX_PID=$!
  for _ in $(seq 50); do
    curl -s --fail -o /dev/null -r 0-0 "$(track_url 1 "$NGINX_PORT")" && return
    kill -0 "$NGINX_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "nginx did not serve the tracks on 127.0.0.1:$NGINX_PORT:" >&2
  cat "$dir/nginx.out" "$dir/error.log" >&2 2>/dev/null || true
  exit 1
}
stop_nginx() { kill "$NGINX_PID"; wait "$NGINX_PID" || true; NGINX_PID=""; }
fill_nginx_root() { # the twenty tracks as the running emulator serves them, under the same paths
  local k args=()
  for k in $(seq 20); do args+=(-o "$NGINX_ROOT$(track_path "$k")" "$(track_url "$k")"); done
  curl -s --fail --fail-early --create-dirs "${args[@]}"
}

# timed OUT CMD...: runs CMD under GNU time; OUT gets "wall user sys maxrss_kb".
timed() {
  local out=$1; shift
  /usr/bin/time -f '%e %U %S %M' -o "$out" "$@" >/dev/null 2>&1 || echo "warning: ${1##*/} failed" >&2
}
field() { awk -v n="$2" '{print $n}' "$1"; }
cpu() { awk '{print $2 + $3}' "$1"; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# report NAME VALUE OP TARGET DETAIL
report() {
  local verdict
  verdict=$(awk -v v="$2" -v t="$4" -v op="$3" 'BEGIN {
    ok = (op == "<=") ? v <= t : (op == "<") ? v < t : v >= t; print ok ? "PASS" : "MISS" }')
  printf '%-34s %10s  target %s %-6s %s  (%s)\n' "$1" "$2" "$3" "$4" "$verdict" "$5"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 999}'; }

# curl, then the written files flushed to the disk, as tavimo-dl flushes
# every track before it takes its name.
curl_synced() { # DIR CURL-ARGS...
  local dir=$1; shift
  curl -s --fail "$@" && sync "$dir"/*.mp3
}
curl_album() { # DIR [PORT]: the twenty tracks in one curl invocation, as curl's arguments
  for k in $(seq 20); do printf '%s\n' -o "$1/$k.mp3" "$(track_url "$k" "${2:-}")"; done
}
tavimo_album() { # ROOT [tavimo-dl options]: the album download as a command line
  local root=$1; shift
  printf '%s\n' env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --root "$root" "$@" album "$ALBUM_URL"
}
aria2_list() { # DIR: the twenty tracks as an aria2c input file, each to its own name in DIR
  for k in $(seq 20); do printf '%s\n  dir=%s\n  out=%s.mp3\n' "$(track_url "$k")" "$1" "$k"; done
}
fresh() { rm -rf "$WORK/out"; mkdir -p "$WORK/out"; echo "$WORK/out"; }

echo "== tavimo benchmarks: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "$(free -g | awk '/Mem:/ {print $2}') GB; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

# 1. Album against curl and against a bare Qt download loop, 20 x 20 MB,
# five rounds each, medians; then both again with the tracks served by nginx.
start_emulator --mp3-size $((20 * MB))
fill_nginx_root
start_nginx
qt_loop() { # DIR: the bare Qt loop over the twenty addresses
  printf '%s\n' "$B/bench/tavimo-bench-qtloop" "$1"
  for k in $(seq 20); do track_url "$k"; echo; done
}
album_plain() {
  mapfile -t args < <(tavimo_album "$(fresh)")
  timed "$WORK/dl.$round" "${args[@]}"
  count=$(find "$WORK/out" -name '*.mp3' | wc -l)
}
album_archived() {
  rm -f "$WORK/archive.txt"
  mapfile -t args < <(tavimo_album "$(fresh)" --download-archive "$WORK/archive.txt")
  timed "$WORK/adl.$round" "${args[@]}"
  archived=$(wc -l <"$WORK/archive.txt")
}
for round in 1 2 3 4 5; do
  mapfile -t args < <(curl_album "$(fresh)")
  timed "$WORK/curl.$round" curl -s --fail "${args[@]}"
  mapfile -t args < <(qt_loop "$(fresh)")
  timed "$WORK/qt.$round" "${args[@]}"
  # With and without the archive side by side, taking turns at going first,
  # so neither inherits the disk's write-back of a heavier run before it.
  if ((round % 2)); then album_plain; album_archived; else album_archived; album_plain; fi
  mapfile -t args < <(tavimo_album "$(fresh)" --tags)
  timed "$WORK/tdl.$round" "${args[@]}"
  mapfile -t args < <(curl_album "$(fresh)" "$NGINX_PORT")
  timed "$WORK/ncurl.$round" curl -s --fail "${args[@]}"
  mapfile -t args < <(curl_album "$(fresh)" "$NGINX_PORT")
  timed "$WORK/nscurl.$round" bash -c "$(declare -f curl_synced); curl_synced \"\$@\"" _ "$WORK/out" "${args[@]}"
  mapfile -t args < <(HOSTS=$NGINX_HOSTS tavimo_album "$(fresh)")
  timed "$WORK/ndl.$round" "${args[@]}"
  ncount=$(find "$WORK/out" -name '*.mp3' | wc -l)
done
stop_nginx
rm -rf "$NGINX_ROOT"
wall_of() { for r in 1 2 3 4 5; do field "$WORK/$1.$r" 1; done | median; }
cpu_of() { for r in 1 2 3 4 5; do cpu "$WORK/$1.$r"; done | median; }
curl_wall=$(wall_of curl); qt_wall=$(wall_of qt); dl_wall=$(wall_of dl)
curl_cpu=$(cpu_of curl); qt_cpu=$(cpu_of qt); dl_cpu=$(cpu_of dl)
# The disk bounds a durable writer on loopback, where the network outruns it.
report "album wall vs curl" "$(ratio "$dl_wall" "$curl_wall")" "<=" 1.10 "tavimo-dl ${dl_wall}s, curl ${curl_wall}s, $count files"
report "album CPU vs curl" "$(ratio "$dl_cpu" "$curl_cpu")" "<=" 1.0 "tavimo-dl ${dl_cpu}s, curl ${curl_cpu}s user+sys"
report "album wall vs bare Qt loop" "$(ratio "$dl_wall" "$qt_wall")" "<=" 1.1 "the Qt loop ${qt_wall}s, $(ratio "$qt_wall" "$curl_wall") x curl"
report "album CPU vs bare Qt loop" "$(ratio "$dl_cpu" "$qt_cpu")" "<=" 1.1 "the Qt loop ${qt_cpu}s, $(ratio "$qt_cpu" "$curl_cpu") x curl"
tdl_wall=$(wall_of tdl)
report "album --tags wall vs without" "$(ratio "$tdl_wall" "$dl_wall")" "<=" 1.05 "with ID3v2.4 tags ${tdl_wall}s, without ${dl_wall}s"
adl_wall=$(wall_of adl)
report "album --download-archive vs without" "$(ratio "$adl_wall" "$dl_wall")" "<=" 1.02 \
  "with an archive ${adl_wall}s ($archived lines), without ${dl_wall}s"
ncurl_wall=$(wall_of ncurl); ndl_wall=$(wall_of ndl); ncurl_cpu=$(cpu_of ncurl); ndl_cpu=$(cpu_of ndl)
nscurl_wall=$(wall_of nscurl)
report "album wall vs curl+sync (nginx)" "$(ratio "$ndl_wall" "$nscurl_wall")" "<=" 1.0 \
  "tavimo-dl ${ndl_wall}s, curl then sync ${nscurl_wall}s (curl alone ${ncurl_wall}s), $ncount files"
report "album CPU vs curl (nginx)" "$(ratio "$ndl_cpu" "$ncurl_cpu")" "<=" 1.0 "tavimo-dl ${ndl_cpu}s, curl ${ncurl_cpu}s user+sys"

# 6. A 2 MB/s cap per download: the five 20 MB tracks of the plain album at
# once take 10 s when each keeps to its cap (and together to five times it).
timed "$WORK/rate" env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --root "$(fresh)" --jobs 5 --limit-rate 2M \
  album "http://127.0.0.1:$((PORT + 1))/subject/1400101/"
rate_wall=$(field "$WORK/rate" 1)
report "--limit-rate 2M, 5 x 20 MB: |wall/10s-1|" "$(awk -v w="$rate_wall" 'BEGIN {d = w / 10 - 1; printf "%.2f", d < 0 ? -d : d}')" "<=" 0.10 \
  "${rate_wall}s for five tracks at once"

# 5. Responsiveness of the window during the same album.
read -r gap beats files seconds < <("$B/bench/tavimo-bench-heartbeat" "$HOSTS" "$ALBUM_URL" "$(fresh)" 2>/dev/null)
report "window heartbeat max gap (ms)" "$gap" "<=" 50 "$beats beats of 10 ms, $files files in ${seconds}s"
stop_emulator

# 2. Parallel with a per-connection bandwidth limit.
start_emulator --mp3-size $((20 * MB)) --fault "/view/=bandwidth:$((20 * MB))"
mapfile -t args < <(curl_album "$(fresh)")
timed "$WORK/pcurl" curl -s --fail --parallel --parallel-max 4 "${args[@]}"
mapfile -t args < <(tavimo_album "$(fresh)" --jobs 4)
timed "$WORK/pdl" "${args[@]}"
report "parallel wall vs curl (4 jobs)" "$(ratio "$(field "$WORK/pdl" 1)" "$(field "$WORK/pcurl" 1)")" "<=" 1.0 \
  "tavimo-dl $(field "$WORK/pdl" 1)s, curl $(field "$WORK/pcurl" 1)s, 20 MB/s per connection"
aria2_list "$(fresh)" >"$WORK/aria2.list"
timed "$WORK/paria2" aria2c --no-conf=true -j4 -x1 -s1 -i "$WORK/aria2.list" --console-log-level=error \
  --summary-interval=0 --quiet --allow-overwrite=true --auto-file-renaming=false --file-allocation=none
acount=$(find "$WORK/out" -name '*.mp3' | wc -l)
report "parallel wall vs aria2c (4 jobs)" "$(ratio "$(field "$WORK/pdl" 1)" "$(field "$WORK/paria2" 1)")" "<=" 1.0 \
  "tavimo-dl $(field "$WORK/pdl" 1)s, aria2c $(field "$WORK/paria2" 1)s, $acount files"
stop_emulator

# 3. Peak memory with 1 MB and 50 MB files.
for size in 1 50; do
  start_emulator --mp3-size $((size * MB))
  mapfile -t args < <(tavimo_album "$(fresh)")
  timed "$WORK/mem.$size" "${args[@]}"
  stop_emulator
done
small=$(field "$WORK/mem.1" 4); large=$(field "$WORK/mem.50" 4)
report "peak RSS 50 MB - 1 MB files (MB)" "$(awk -v a="$large" -v b="$small" 'BEGIN {printf "%.1f", (a - b) / 1024}')" "<" 8 \
  "$((small / 1024)) MB with 1 MB files, $((large / 1024)) MB with 50 MB files"

# 4. Waiting for a reply held back 10 s.
start_emulator --fault "/subject/$ALBUM/=delay:10000"
read -r wait_cpu wait_wall _ < <("$B/bench/tavimo-bench-wait" "http://127.0.0.1:$((PORT + 1))/subject/1400101/" "$ALBUM_URL")
report "CPU seconds in a 10 s wait" "$wait_cpu" "<" 0.05 "the reply came after ${wait_wall}s"
stop_emulator

# 6. Start-up to the first painted window, seven runs each, medians.
run_ms() { local t0; t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; echo $((($(date +%s%N) - t0) / 1000000)); }
mkdir -p "$WORK/startroot"
for _ in $(seq 7); do
  run_ms "$B/bench/tavimo-bench-startup" bare >>"$WORK/bare.ms"
  run_ms "$B/bench/tavimo-bench-startup" main "$WORK/startroot" >>"$WORK/main.ms"
done
bare=$(median <"$WORK/bare.ms"); main=$(median <"$WORK/main.ms")
report "start-up vs bare Qt window" "$(ratio "$main" "$bare")" "<=" 1.5 "main window ${main} ms, empty QWidget ${bare} ms"

# 7. JSON reader throughput.
"$B/bench/tavimo-bench-json" >"$WORK/json"
for reply in playlist channels; do
  rate() { awk -v r="$reply" -v p="$1" '$1 == r && $3 == p {print $4}' "$WORK/json"; }
  size=$(awk -v r="$reply" '$1 == r {printf "%.1f MB", $2 / 1e6; exit}' "$WORK/json")
  ours=$(rate ParseJsonUtf8); nl=$(rate nlohmann); qt=$(rate QJsonDocument)
  report "JSON $reply vs nlohmann" "$(ratio "$ours" "$nl")" ">=" 1.5 "$size; ParseJsonUtf8 $ours MB/s, nlohmann $nl MB/s"
  report "JSON $reply vs QJsonDocument" "$(ratio "$ours" "$qt")" ">=" 1.0 "$size; ParseJsonUtf8 $ours MB/s, QJsonDocument $qt MB/s"
done

# 8. Resume: a 50 MB track cut off after 25 MB (no retry), then the rerun.
TRACK=/view/song/small/p1770101
start_emulator --mp3-size $((50 * MB)) --fault "$TRACK=drop:$((25 * MB))"
root=$(fresh)
TAVIMO_HOSTS="$HOSTS" "$B/cli/tavimo-dl" --quiet --retries 0 --root "$root" album "http://127.0.0.1:$((PORT + 1))/subject/1400101/" \
  >/dev/null 2>&1 || true
stop_emulator
start_emulator --mp3-size $((50 * MB)) --log "$WORK/resume.log"
TAVIMO_HOSTS="$HOSTS" "$B/cli/tavimo-dl" --quiet --root "$root" album "http://127.0.0.1:$((PORT + 1))/subject/1400101/" \
  >/dev/null 2>&1 || true
stop_emulator
start_emulator --mp3-size $((50 * MB))
curl -s --fail -o "$WORK/expected.mp3" "http://127.0.0.1:$((PORT + 2))${TRACK}_192k.mp3"
stop_emulator
sent=$(awk -v t="$TRACK" 'index($3, t) == 1 {s += $2} END {print s + 0}' "$WORK/resume.log")
final=$(find "$root" -name '晴天.mp3' | head -1)
same=no; [ -n "$final" ] && cmp -s "$final" "$WORK/expected.mp3" && same=yes
report "resume: rerun bytes / file size" "$(ratio "$sent" $((50 * MB)))" "<=" 0.55 \
  "$sent bytes sent for the track on the rerun; final file identical: $same"
[ "$same" = yes ] || echo "resume: the final file differs from the emulator's bytes (MISS)"

# 9. Over a slow link: every request answered after 50 ms and every track
# body at 1 MB/s, as a real network behaves. The peers fetch the same track
# addresses, taken from tavimo-dl --list --json.
start_emulator --mp3-size $MB --fault "/=delay:50" --fault "/view/=bandwidth:$MB" --liked-count 150
ARTIST_URL="http://127.0.0.1:$((PORT + 1))/musician/100002/" # 27 albums of two tracks
printf '127.0.0.1\tFALSE\t/\tFALSE\t0\ttavimo_session\tsigned-in-7f3a9c\n' >"$WORK/cookies.txt"
listed() { # tavimo-dl arguments: the addresses of the tracks the command fetches, one a line
  env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --root "$(fresh)" --list --json "$@" 2>/dev/null |
    grep -o '"address":"[^"]*"' | cut -d'"' -f4
}
curl_of() { # DIR FILE: curl's arguments for the addresses in FILE, one after the other
  local k=0 url
  while read -r url; do k=$((k + 1)); printf '%s\n' -o "$1/$k.mp3" "$url"; done <"$2"
}
aria2_of() { # DIR FILE: an aria2c input file for the addresses in FILE
  local k=0 url
  while read -r url; do k=$((k + 1)); printf '%s\n  dir=%s\n  out=%s.mp3\n' "$url" "$1" "$k"; done <"$2"
}
aria2_run() { # OUT FILE
  aria2_of "$(fresh)" "$2" >"$WORK/slow.aria2"
  timed "$1" aria2c --no-conf=true -j4 -x1 -s1 -i "$WORK/slow.aria2" --console-log-level=error \
    --summary-interval=0 --quiet --allow-overwrite=true --auto-file-renaming=false --file-allocation=none
}
slow_dl() { # OUT tavimo-dl arguments
  local out=$1; shift
  timed "$out" env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --root "$(fresh)" "$@"
}
listed artist "$ARTIST_URL" >"$WORK/artist.urls"
listed liked --cookies "$WORK/cookies.txt" >"$WORK/liked.urls"
slow_dl "$WORK/slow.a4" --jobs 4 artist "$ARTIST_URL"
sa4_files=$(find "$WORK/out" -name '*.mp3' | wc -l)
aria2_run "$WORK/slow.a4.aria2" "$WORK/artist.urls"
slow_dl "$WORK/slow.a1" --jobs 1 artist "$ARTIST_URL"
mapfile -t args < <(curl_of "$(fresh)" "$WORK/artist.urls")
timed "$WORK/slow.a1.curl" curl -s --fail "${args[@]}"
slow_dl "$WORK/slow.l4" --jobs 4 liked --cookies "$WORK/cookies.txt"
sl4_files=$(find "$WORK/out" -name '*.mp3' | wc -l)
aria2_run "$WORK/slow.l4.aria2" "$WORK/liked.urls"
for n in 1400101 1400102 1400103 1400104 1400109 1400301 1400201 1400202 1400203 1400204; do
  echo "album http://127.0.0.1:$((PORT + 1))/subject/$n/"
done >"$WORK/batch.txt"
listed -a "$WORK/batch.txt" >"$WORK/batch.urls"
slow_dl "$WORK/slow.b4" --jobs 4 -a "$WORK/batch.txt"
sb4_files=$(find "$WORK/out" -name '*.mp3' | wc -l)
aria2_run "$WORK/slow.b4.aria2" "$WORK/batch.urls"
stop_emulator
# The artist again with --sleep-requests 0.5, its page requests read from the log.
start_emulator --mp3-size $MB --fault "/=delay:50" --fault "/view/=bandwidth:$MB" --log "$WORK/sleep.log"
slow_dl "$WORK/slow.s4" --jobs 4 --sleep-requests 0.5 artist "$ARTIST_URL"
stop_emulator
pages=$(grep -vc ' /view/song/' "$WORK/sleep.log" || true)
least_gap=$(grep -v ' /view/song/' "$WORK/sleep.log" | awk '{t = $4 / 1000} NR > 1 {g = t - p; if (m == "" || g < m) m = g} {p = t} END {print m + 0}')
slow_report() { # NAME OURS PEER TARGET PEER-NAME DETAIL
  report "$1" "$(ratio "$(field "$2" 1)" "$(field "$3" 1)")" "<=" "$4" "tavimo-dl $(field "$2" 1)s, $5 $(field "$3" 1)s, $6"
}
slow_report "slow link: artist --jobs 4 vs aria2c" "$WORK/slow.a4" "$WORK/slow.a4.aria2" 1.15 "aria2c -j4" \
  "$sa4_files files of $(wc -l <"$WORK/artist.urls") listed"
slow_report "slow link: artist 1 job vs curl" "$WORK/slow.a1" "$WORK/slow.a1.curl" 1.05 "curl" "one after the other"
slow_report "slow link: liked --jobs 4 vs aria2c" "$WORK/slow.l4" "$WORK/slow.l4.aria2" 1.15 "aria2c -j4" \
  "$sl4_files files of $(wc -l <"$WORK/liked.urls") listed"
slow_report "slow link: batch of 10 albums -j4 vs aria2c" "$WORK/slow.b4" "$WORK/slow.b4.aria2" 1.15 "aria2c -j4" \
  "$sb4_files files of $(wc -l <"$WORK/batch.urls") listed"
report "sleep-requests 0.5: least page gap" "$least_gap" ">=" 0.5 "seconds between $pages page requests"
report "sleep-requests 0.5: cost a page" \
  "$(awk -v a="$(field "$WORK/slow.s4" 1)" -v b="$(field "$WORK/slow.a4" 1)" -v n="$pages" 'BEGIN {printf "%.2f", (a - b) / n}')" \
  "<=" 0.5 "seconds more a page request: $(field "$WORK/slow.s4" 1)s against $(field "$WORK/slow.a4" 1)s"

# 10. An archived artist again, its files moved away: not one track request,
# read from the emulator's request log.
start_emulator --log "$WORK/archive.log"
rm -f "$WORK/artist.archive"
env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --jobs 4 --root "$(fresh)" \
  --download-archive "$WORK/artist.archive" artist "$ARTIST_URL" 2>/dev/null || echo "warning: the archived artist failed" >&2
stop_emulator
start_emulator --log "$WORK/archive.log"
env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --jobs 4 --root "$(fresh)" \
  --download-archive "$WORK/artist.archive" artist "$ARTIST_URL" 2>/dev/null || echo "warning: the rerun failed" >&2
stop_emulator
report "archived artist rerun: track requests" "$(grep -c ' /view/song/' "$WORK/archive.log" || true)" "<=" 0 \
  "$(grep -c '^tavimo ' "$WORK/artist.archive") tracks archived, $(wc -l <"$WORK/archive.log") page requests"

# 11. check over 1000 files of 5 MB from a warm cache against md5sum over the
# same files, three rounds each, medians. The files are an encoder's own
# (ffmpeg's libmp3lame, with an Info frame and a LAME tag), so check reads
# every byte for the music CRC. Then a --check-present rerun of a liked list
# of 1000 tracks whose files are those same files (every file is judged by
# its frames and counts, and no track is fetched): what it costs over the
# same rerun without it.
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi \
  -i "aevalsrc=0.4*sin(440*2*PI*t)+0.05*random(0)|0.4*sin(660*2*PI*t)+0.05*random(1):s=44100:d=330" \
  -c:a libmp3lame -b:a 128k "$WORK/encoded.mp3"
start_emulator --mp3-size 4096 --liked-count 1000
checked_root=$(fresh)
env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --jobs 4 --root "$checked_root" \
  liked --cookies "$WORK/cookies.txt" 2>/dev/null || echo "warning: the liked download failed" >&2
mapfile -t present < <(find "$checked_root" -name '*.mp3' | sort)
for f in "${present[@]}"; do cp "$WORK/encoded.mp3" "$f"; done
cat "${present[@]}" >/dev/null
for round in 1 2 3; do
  timed "$WORK/md5.$round" bash -c 'find "$1" -name "*.mp3" -print0 | xargs -0 md5sum' _ "$checked_root"
  timed "$WORK/check.$round" "$B/cli/tavimo-dl" check "$checked_root"
  for how in present plain; do
    timed "$WORK/$how.$round" env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --jobs 4 --root "$checked_root" \
      $([ "$how" = present ] && echo --check-present) liked --cookies "$WORK/cookies.txt"
  done
done
stop_emulator
check_wall() { for r in 1 2 3; do field "$WORK/$1.$r" 1; done | median; }
checked=$("$B/cli/tavimo-dl" check "$checked_root" 2>&1 >/dev/null | grep -o '[0-9]* 个文件.*' || true)
report "check of 1000 x 5 MB vs md5sum" "$(ratio "$(check_wall check)" "$(check_wall md5)")" "<=" 0.5 \
  "tavimo-dl check $(check_wall check)s ($checked), md5sum $(check_wall md5)s"
present_cost=$(awk -v a="$(check_wall present)" -v b="$(check_wall plain)" 'BEGIN {printf "%.3f", a - b}')
report "--check-present rerun of them vs md5sum" "$(ratio "$present_cost" "$(check_wall md5)")" "<=" 0.1 \
  "seconds more than a rerun without it: $present_cost (${#present[@]} files, $(check_wall present)s against $(check_wall plain)s)"
rm -rf "$checked_root" "$WORK/encoded.mp3"

# 12. A library kept current over the slow link: the liked list (150) and
# the artist (27 albums) downloaded once, then one track liked lately. sync
# of that root against the plain rerun of the same two commands (one batch)
# with --download-archive, each in a root of its own; requests from the
# logs. Tracks of 250 KB, so that the one new track both fetch does not
# hide the pages asked for.
slow_link=(--mp3-size $((MB / 4)) --fault "/=delay:50" --fault "/view/=bandwidth:$MB" --liked-count 150)
start_emulator "${slow_link[@]}"
library=$WORK/library plain=$WORK/plain
rm -rf "$library" "$plain"
for how in library plain; do
  root=$WORK/$how
  archive=(); [ "$how" = plain ] && archive=(--download-archive "$plain/archive.txt")
  for command in "liked --cookies $WORK/cookies.txt" "artist $ARTIST_URL"; do
    # shellcheck disable=SC2086
    env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --jobs 4 --root "$root" "${archive[@]}" $command \
      2>/dev/null || echo "warning: the first $how run of $command failed" >&2
  done
done
stop_emulator
start_emulator "${slow_link[@]}" --liked-lately 1 --log "$WORK/sync.log"
timed "$WORK/sync" env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --jobs 4 sync "$library"
stop_emulator
start_emulator "${slow_link[@]}" --liked-lately 1 --log "$WORK/rerun.log"
timed "$WORK/rerun" env "TAVIMO_HOSTS=$HOSTS" "$B/cli/tavimo-dl" --quiet --jobs 4 --root "$plain" \
  --download-archive "$plain/archive.txt" -a <(printf 'liked --cookies %s\nartist %s\n' "$WORK/cookies.txt" "$ARTIST_URL")
stop_emulator
requests() { grep -c "$2" "$WORK/$1.log" || true; } # LOG PATTERN
pages() { grep -vc ' /view/song/' "$WORK/$1.log" || true; } # LOG
sync_pages=$(pages sync) rerun_pages=$(pages rerun)
report "sync: liked and album page requests" "$(($(requests sync ' /mine') + $(requests sync ' /subject/')))" "<=" 2 \
  "$(requests sync ' /mine') liked pages, $(requests sync ' /subject/') album pages, $(requests sync ' /view/song/') track requests"
report "sync vs plain rerun: page requests" "$(ratio "$sync_pages" "$rerun_pages")" "<=" 0.15 \
  "$sync_pages against $rerun_pages; track requests $(requests sync ' /view/song/') and $(requests rerun ' /view/song/')"
report "sync vs plain rerun: wall" "$(ratio "$(field "$WORK/sync" 1)" "$(field "$WORK/rerun" 1)")" "<=" 0.5 \
  "sync $(field "$WORK/sync" 1)s, the two commands again $(field "$WORK/rerun" 1)s"

echo "== load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
