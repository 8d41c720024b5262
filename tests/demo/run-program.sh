#!/usr/bin/env bash
# Runs the vellomire program as a new user would and checks what it reports.
#   run-program.sh PROGRAM no-data      an empty folder and no Data anywhere near the program
#   run-program.sh PROGRAM no-display   no display to open a window on
#   run-program.sh PROGRAM no-screen    no display and no video driver asked for: stops at once
#   run-program.sh PROGRAM data-beside  a DATA folder beside the program's folder, run from
#                                       elsewhere: the music is found and the folder named
#   run-program.sh PROGRAM help         --help and --version answer without a display
set -uo pipefail
program=$1
case_name=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of the program, so that no Data folder beside the build's program is found.
mkdir -p "$work/user/bin" "$work/user/run"
cp "$program" "$work/user/bin/vellomire"
cd "$work/user/run"

case $case_name in
no-data)
  expected='Tried to create a stream for: Data\Demo.mp3.: Could not stream the specified file. Does it exist or is it corrupt perhaps?'
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$work/user/bin/vellomire" 2>"$work/stderr"
  status=$?
  if ! grep -qF "no Data folder in $work/user/run, $work/user/bin, $work/user," "$work/stderr"; then
    echo "FAIL: the places looked in are not named" >&2
    exit 1
  fi
  (exit $status)
  ;;
no-display)
  expected='Tried to create a rendering device.: Errors currently undocumented, sorry ;)'
  env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
    "$work/user/bin/vellomire" 2>"$work/stderr"
  ;;
no-screen)
  expected='No display to play on: neither DISPLAY nor WAYLAND_DISPLAY is set.'
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
    timeout 20 "$work/user/bin/vellomire" 2>"$work/stderr"
  ;;
data-beside)
  # One second of silent MP3 frames (MPEG-1 layer III, 44100 Hz, 128 kbit/s, no samples).
  mkdir -p "$work/user/DATA"
  for ((i = 0; i < 39; i++)); do
    printf '\xFF\xFB\x90\x00'
    head -c 413 /dev/zero
  done >"$work/user/DATA/Demo.mp3"
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$work/user/bin/vellomire" 2>"$work/stderr"
  status=$?
  cat "$work/stderr" >&2
  # Only the show's own scenes can fail now (their content is not there); the music must not.
  if grep -qF 'Tried to create a stream' "$work/stderr"; then
    echo "FAIL: the Data folder beside the program was not used" >&2
    exit 1
  fi
  if ! grep -qF "using the Data folder $work/user/DATA" "$work/stderr"; then
    echo "FAIL: the folder used is not named" >&2
    exit 1
  fi
  echo "exit status $status, the music was found"
  exit 0
  ;;
help)
  for option in --help --version; do
    if ! env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 \
      "$work/user/bin/vellomire" ignored "$option" >"$work/stdout" 2>&1; then
      echo "FAIL: $option did not exit 0" >&2
      cat "$work/stdout" >&2
      exit 1
    fi
    head -1 "$work/stdout"
  done
  grep -q '^vellomire [0-9]' "$work/stdout" || { echo "FAIL: no version" >&2; exit 1; }
  exit 0
  ;;
*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac
status=$?

cat "$work/stderr" >&2
if ((status == 0)); then
  echo "FAIL: exit status 0 after a failed start-up" >&2
  exit 1
fi
if ! grep -qF -- "$expected" "$work/stderr"; then
  echo "FAIL: the message box text is missing: $expected" >&2
  exit 1
fi
echo "exit status $status, message shown"
