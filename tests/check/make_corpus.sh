#!/usr/bin/env bash
# Makes whole MP3 files with Debian's encoders and tag tools in DIR, one per
# way such a file comes to a library: lame at CBR, VBR and ABR, MPEG-2 and
# 2.5, ID3v1 and ID3v2.3/2.4 tags, a picture, mp3gain's APEv2 tag in both of
# its modes, ffmpeg's libmp3lame with and without ID3v1, no Xing header.
#   make_corpus.sh DIR
set -euo pipefail
dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
quiet=(-hide_banner -loglevel error -nostdin -y)

# Six seconds of two tones with a little noise, so frames differ.
ffmpeg "${quiet[@]}" -f lavfi -i "aevalsrc=0.4*sin(440*2*PI*t)+0.05*random(0)|0.4*sin(660*2*PI*t)+0.05*random(1):s=44100:d=6" \
    "$work/source.wav"
ffmpeg "${quiet[@]}" -f lavfi -i color=c=red:s=64x64 -frames:v 1 "$work/cover.png"

lame_to() { lame --quiet "${@:2}" "$work/source.wav" "$dir/$1.mp3"; }
lame_to lame-cbr128 -b 128
lame_to lame-cbr320 -b 320
lame_to lame-vbr -V 2
lame_to lame-abr --abr 160
lame_to lame-mpeg2 --resample 22.05 -b 64
lame_to lame-mpeg25 --resample 8 -b 16
lame_to lame-id3v1 -b 128 --id3v1-only --tt Title --ta Artist
lame_to lame-noxing -b 128 -t
lame_to lame-id3v23 -b 128 --id3v2-only --tt Title --ta Artist
eyeD3 --quiet --to-v2.3 "$dir/lame-id3v23.mp3" >/dev/null
lame_to lame-id3v24 -b 128 --id3v2-only --tt Title --ta Artist
eyeD3 --quiet --to-v2.4 "$dir/lame-id3v24.mp3" >/dev/null
lame_to lame-picture -V 4 --tt Title
eyeD3 --quiet --add-image "$work/cover.png:FRONT_COVER" "$dir/lame-picture.mp3" >/dev/null

# mp3gain stores its analysis in an APEv2 tag; with -r it also changes the
# frames' gain in place and keeps how to undo it.
lame_to mp3gain-analysed -b 128
mp3gain -q -c "$dir/mp3gain-analysed.mp3" >/dev/null
lame_to mp3gain-applied -V 2
mp3gain -q -c -r -d 3 "$dir/mp3gain-applied.mp3" >/dev/null

ffmpeg "${quiet[@]}" -i "$work/source.wav" -c:a libmp3lame -b:a 128k "$dir/ffmpeg.mp3"
ffmpeg "${quiet[@]}" -i "$work/source.wav" -c:a libmp3lame -q:a 3 -write_id3v1 1 \
    -metadata title=Title "$dir/ffmpeg-id3v1.mp3"
