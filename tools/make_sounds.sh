#!/usr/bin/env bash
# Makes the 27 wave recordings of the game in assets/sounds/ from nothing but
# Debian tools: sox synthesises the effects (dice, dings, fanfares, cough,
# snore), espeak-ng speaks the chatter words and sox shapes them, ffmpeg's
# libmp3lame encodes the two MPEG Layer-3 recordings, which a small python3
# step wraps in a RIFF WAVE header with format tag 0x55.
#
# Rerunnable: sox runs in repeatable mode (-R), so noise and dither come out
# the same every time and an unchanged script leaves the committed files alone.
#
#   tools/make_sounds.sh            writes assets/sounds/*.wav
#
# Each recording is built at 44100 Hz in a work folder, then cut or padded to
# its exact length and written in its own sample format by `finish`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup tools

out=assets/sounds
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

SOX=(sox -R -V1)
W=(-r 44100 -c 1 -b 16) # the working format

calc() { awk "BEGIN { printf \"%.4f\", $* }"; }

# gen NAME SOX-SYNTH-AND-EFFECTS...: a synthesised piece in the work folder.
gen() {
    local name=$1; shift
    "${SOX[@]}" -n "${W[@]}" "$work/$name.wav" "$@"
}

# mix OUT FILE OFFSET VOLUME [FILE OFFSET VOLUME]...: lays pieces on one
# time line, each delayed by OFFSET seconds and scaled by VOLUME.
mix() {
    local dst=$1; shift
    local args=()
    while (($#)); do
        args+=(-v "$3" "|${SOX[*]} $work/$1.wav -p pad $2")
        shift 3
    done
    if ((${#args[@]} == 3)); then
        args+=(-v 0 "|${SOX[*]} -n ${W[*]} -p trim 0 0.01")
    fi
    "${SOX[@]}" -m "${args[@]}" "$work/$dst.wav"
}

# bell NAME FREQ LENGTH: a struck bell: the fundamental, a quieter octave and
# an inharmonic shimmer, dying away over LENGTH.
bell() {
    local f=$1 len=$3
    gen "$1.a" synth "$len" sine "$2"
    gen "$1.b" synth "$len" sine "$(calc "$2 * 2")"
    gen "$1.c" synth "$len" sine "$(calc "$2 * 2.76")"
    mix "$1.m" "$1.a" 0 0.6 "$1.b" 0 0.25 "$1.c" 0 0.12
    "${SOX[@]}" "$work/$1.m.wav" "$work/$f.wav" fade t 0.004 "$len" "$(calc "$len - 0.004")" \
        fade l 0 "$len" "$(calc "$len * 0.98")"
}

# pluck NAME FREQ LENGTH: a plucked string (sox's Karplus-Strong synth).
pluck() { gen "$1" synth "$3" pluck "$2" fade l 0 "$3" "$(calc "$3 * 0.9")"; }

# brass NAME FREQ LENGTH: a horn-like note: two slightly detuned sawtooths,
# softened, with a quick swell at the start and a short release.
brass() {
    gen "$1" synth "$3" sawtooth "$2" synth "$3" sawtooth mix "$(calc "$2 * 1.004")" \
        lowpass 2200 lowpass 3000 tremolo 5.5 12 \
        fade q 0.035 "$3" 0.08
}

# clack NAME FREQ LENGTH NOISE-OFFSET: one die striking another: a short
# burst of filtered noise with a ringing knock in it.
clack() {
    gen "$1" synth 2 whitenoise trim "$4" "$3" synth "$3" sine mix "$2" \
        bandpass "$2" 2o fade l 0 "$3" "$(calc "$3 * 0.95")"
}

# say NAME VOICE SPEED PITCH TEXT [SOX-EFFECTS...]: espeak-ng speaks TEXT;
# leading and trailing silence is cut.
say() {
    local name=$1 voice=$2 speed=$3 pitch=$4 text=$5; shift 5
    espeak-ng -v "$voice" -s "$speed" -p "$pitch" -w "$work/$name.raw.wav" "$text"
    "${SOX[@]}" "$work/$name.raw.wav" "${W[@]}" "$work/$name.wav" \
        silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse "$@"
}

# fit NAME LENGTH: speeds speech up (keeping its pitch) when it is longer than
# the recording may be, leaving a short tail for the last sound to fade.
fit() {
    local len have
    len=$(calc "$2 - 0.04")
    have=$(soxi -D "$work/$1.wav")
    if awk "BEGIN { exit !($have > $len) }"; then
        "${SOX[@]}" "$work/$1.wav" "$work/$1.fit.wav" tempo -s "$(calc "$have / $len")"
        mv "$work/$1.fit.wav" "$work/$1.wav"
    fi
}

# finish SOURCE NAME RATE BITS CHANNELS LENGTH [PEAK-DB]: normalises the
# piece, pads or cuts it to LENGTH seconds with a short fade at the end, and
# writes assets/sounds/NAME.wav in the given PCM format (8-bit is unsigned,
# 16-bit signed, as RIFF WAVE has them). No dither: silence stays exact.
finish() {
    local src=$1 name=$2 rate=$3 bits=$4 ch=$5 len=$6 peak=${7:--1}
    local enc=signed-integer
    [[ $bits == 8 ]] && enc=unsigned-integer
    "${SOX[@]}" "$work/$src.wav" -D -r "$rate" -b "$bits" -c "$ch" -e "$enc" "$out/$name.wav" \
        norm "$peak" pad 0 "$len" trim 0 "$len" fade t 0 "$len" 0.02
}

# finish_mp3 SOURCE NAME LENGTH [PEAK-DB]: like finish, for the two recordings
# that hold MPEG Layer-3 audio, mono 11025 Hz, 32 kbit/s constant bit rate.
finish_mp3() {
    local src=$1 name=$2 len=$3 peak=${4:--1}
    "${SOX[@]}" "$work/$src.wav" -D -r 11025 -b 16 -c 1 "$work/$name.pcm.wav" \
        norm "$peak" pad 0 "$len" trim 0 "$len" fade t 0 "$len" 0.02
    ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/$name.pcm.wav" \
        -c:a libmp3lame -b:a 32k -ar 11025 -ac 1 \
        -write_xing 0 -id3v2_version 0 -write_id3v1 0 -flags +bitexact \
        -f mp3 "$work/$name.mp3"
    python3 - "$work/$name.mp3" "$out/$name.wav" "$(calc "$len * 11025")" <<'EOF'
# Wraps a raw MP3 stream in RIFF WAVE: a fmt chunk with format tag 0x55 and
# the MPEGLAYER3WAVEFORMAT extra bytes, a fact chunk with the sample count,
# and the MP3 frames as the data chunk.
import struct, sys
src, dst, samples = sys.argv[1], sys.argv[2], int(float(sys.argv[3]))
mp3 = open(src, "rb").read()
rate, channels, kbps = 11025, 1, 32
block = 72 * kbps * 1000 // rate          # bytes of one frame, MPEG-2.5 layer 3
fmt = struct.pack("<HHIIHHH", 0x55, channels, rate, kbps * 1000 // 8, 1, 0, 12)
fmt += struct.pack("<HIHHH", 1, 0, block, 1, 1393)  # MPEG id, ISO padding, block, frames/block, delay
fact = struct.pack("<I", samples)
data = mp3 + (b"\0" if len(mp3) % 2 else b"")
body = b"WAVE"
body += b"fmt " + struct.pack("<I", len(fmt)) + fmt
body += b"fact" + struct.pack("<I", len(fact)) + fact
body += b"data" + struct.pack("<I", len(mp3)) + data
open(dst, "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
EOF
}

# ---------------------------------------------------------------------------
# Game events

# DICE: five dice rattled in a cup (quick, muffled clacks), then spilled on
# the table (louder knocks with a low thud, bouncing ever more slowly).
hits=(
    # time  freq  len   vol  noise-offset
    "0.000 3100 0.030 0.45 0.11" "0.032 2600 0.025 0.40 0.27" "0.058 3600 0.030 0.50 0.43"
    "0.095 2900 0.025 0.40 0.61" "0.128 3300 0.030 0.45 0.72" "0.165 2500 0.025 0.40 0.88"
    "0.196 3800 0.030 0.45 1.03" "0.300 2200 0.050 1.00 1.17" "0.338 3000 0.045 0.85 1.29"
    "0.395 2600 0.045 0.80 1.40" "0.462 3400 0.040 0.65 1.52" "0.520 2400 0.040 0.55 1.61"
    "0.581 3100 0.035 0.45 1.72" "0.633 2700 0.030 0.35 1.80" "0.675 3500 0.030 0.25 1.88"
)
parts=()
i=0
for h in "${hits[@]}"; do
    read -r t f l v o <<<"$h"
    clack "dice$i" "$f" "$l" "$o"
    parts+=("dice$i" "$t" "$v")
    i=$((i + 1))
done
gen dice.thud synth 0.09 sine 170:90 synth 0.09 brownnoise mix lowpass 400 fade l 0 0.09 0.085
parts+=(dice.thud 0.300 0.9 dice.thud 0.395 0.6 dice.thud 0.520 0.4)
mix dice "${parts[@]}"
"${SOX[@]}" "$work/dice.wav" "$work/dice.f.wav" highpass 150
finish dice.f DICE 22050 8 1 0.76

# ENTERBONUS: a quick rising run of plucked notes (C5 E5 G5 C6 E6).
pluck eb1 523 0.25; pluck eb2 659 0.25; pluck eb3 784 0.25; pluck eb4 1047 0.25; pluck eb5 1319 0.30
mix enterbonus eb1 0 0.7 eb2 0.05 0.7 eb3 0.10 0.7 eb4 0.15 0.8 eb5 0.20 0.9
finish enterbonus ENTERBONUS 11025 8 1 0.37

# ENTERED: a door bell, ding (E5) dong (C5).
bell ding 659 0.55; bell dong 523 0.50
mix entered ding 0 1 dong 0.28 1
finish entered ENTERED 11025 8 1 0.79

# ERROR: a rough double buzz, the first louder on the left, the second on
# the right (the one stereo recording).
gen buzz synth 0.30 square 98 synth 0.30 square mix 104 lowpass 1800 overdrive 8 fade t 0.01 0.30 0.04
mix err.l buzz 0 1 buzz 0.42 0.55
mix err.r buzz 0 0.55 buzz 0.42 1
"${SOX[@]}" -M "$work/err.l.wav" "$work/err.r.wav" "$work/err.wav"
finish err ERROR 11025 16 2 0.80 -3

# EXITBONUS: the bonus run falling back down (E6 C6 G5 E5 C5), the last note
# left to ring.
pluck xb1 1319 0.25; pluck xb2 1047 0.25; pluck xb3 784 0.25; pluck xb4 659 0.30; pluck xb5 523 0.55
mix exitbonus xb1 0 0.8 xb2 0.11 0.8 xb3 0.22 0.8 xb4 0.33 0.8 xb5 0.44 1
finish exitbonus EXITBONUS 11025 8 1 0.97

# GOTBONUS: a coin, ba-ding (B5 then a ringing E6).
bell coin1 988 0.10; bell coin2 1319 0.58
mix gotbonus coin1 0 0.8 coin2 0.08 1
finish gotbonus GOTBONUS 11025 8 1 0.67

# GOTPOINTS: a cascade of bells up a major chord, then the chord struck
# together and left to ring out.
bell gp1 1047 1.2; bell gp2 1319 1.2; bell gp3 1568 1.2; bell gp4 2093 1.2; bell gp5 2637 1.0
bell gp6 1047 1.7; bell gp7 1568 1.7; bell gp8 2093 1.7
mix gotpoints gp1 0 0.5 gp2 0.09 0.5 gp3 0.18 0.5 gp4 0.27 0.5 gp5 0.36 0.45 \
    gp6 0.58 0.5 gp7 0.58 0.45 gp8 0.58 0.45
finish gotpoints GOTPOINTS 22050 8 1 2.28

# NOPOINTS: a falling, hollow "bwomp".
gen nopoints synth 0.25 triangle 300:120 lowpass 900 fade q 0.01 0.25 0.12
finish nopoints NOPOINTS 11025 8 1 0.25

# SELECT: a short woodblock knock with a higher answer (C6, then G6).
gen sel1 synth 0.14 sine 1047 synth 0.14 sine mix 2794 fade l 0 0.14 0.13
gen sel2 synth 0.16 sine 1568 fade l 0 0.16 0.15
mix select sel1 0 1 sel2 0.10 0.6
finish select SELECT 11025 8 1 0.30

# SET: a die put down: a wooden tock with a tiny click on top.
gen set.tock synth 0.07 sine 880:620 fade l 0 0.07 0.066
gen set.click synth 0.012 whitenoise bandpass 3500 1o fade l 0 0.012 0.011
mix set set.tock 0 1 set.click 0 0.5
finish set SET 44100 16 1 0.13 -2

# UNSET: a die lifted: a small rising pop and a light tick after it.
gen unset.pop synth 0.07 sine 450:1200 fade q 0.005 0.07 0.05
gen unset.tick synth 0.03 sine 1600 fade l 0 0.03 0.028
mix unset unset.pop 0 1 unset.tick 0.11 0.45
finish unset UNSET 44100 16 1 0.22 -2

# TURN (classic): a two-note chime, G5 up to C6.
bell turn1 784 0.30; bell turn2 1047 0.32
mix turn turn1 0 0.9 turn2 0.14 1
finish turn TURN 44100 8 1 0.47

# TURNNEW: a bright marimba-like run, A5 C#6 E6, the last note ringing.
gen tn1 synth 0.14 triangle 880 fade l 0 0.14 0.13
gen tn2 synth 0.14 triangle 1109 fade l 0 0.14 0.13
bell tn3 1319 0.27
mix turnnew tn1 0 0.8 tn2 0.08 0.8 tn3 0.16 1
finish turnnew TURNNEW 44100 8 1 0.43

# ZONKARD: a brass fanfare, ta-ta-ta-taaa (G4 G4 G4 C5 with its chord), a
# pick-up and a closing high chord over a cymbal crash.
brass zk1 392 0.14
brass zk2 523 0.95; brass zk3 659 0.95; brass zk4 784 0.95
brass zk5 659 0.14; brass zk6 784 0.14
brass zk7 1047 0.85; brass zk8 784 0.85; brass zk9 659 0.85
gen crash synth 1.1 whitenoise highpass 3500 fade l 0.005 1.1 1.05
mix zonkard zk1 0 0.7 zk1 0.18 0.7 zk1 0.36 0.7 \
    zk2 0.54 0.6 zk3 0.54 0.4 zk4 0.54 0.4 \
    zk5 1.50 0.6 zk6 1.66 0.6 \
    zk7 1.80 0.55 zk8 1.80 0.4 zk9 1.80 0.4 crash 1.80 0.35
finish_mp3 zonkard ZONKARD 2.65

# WINNER: a victory fanfare, a rising triplet to a held high C, then a turn
# and the full chord with a trill on top and a cymbal.
brass w1 523 0.12; brass w2 659 0.12; brass w3 784 0.12; brass w4 1047 0.45
brass w5 880 0.12; brass w6 988 0.12
brass w7 1047 1.35; brass w8 784 1.35; brass w9 659 1.35; brass w10 523 1.35
gen wcrash synth 1.4 whitenoise highpass 3000 fade l 0.005 1.4 1.35
gen trill synth 1.2 sine 2093 tremolo 12 90 fade t 0.05 1.2 0.4
mix winner w1 0 0.6 w2 0.13 0.6 w3 0.26 0.6 w4 0.39 0.7 w5 0.90 0.6 w6 1.03 0.6 \
    w7 1.18 0.5 w8 1.18 0.4 w9 1.18 0.35 w10 1.18 0.35 wcrash 1.18 0.3 trill 1.30 0.12
finish winner WINNER 22050 16 1 2.79

# ---------------------------------------------------------------------------
# Chatter sounds (item n of the chatter menu plays WAVEn)

# WAVE1 "Doh": a low, annoyed "D'oh!".
say doh en-us+m3 130 25 "Doh!" pitch -200
fit doh 0.45
finish doh WAVE1 11025 8 1 0.45

# WAVE2 "Cough": two coughs, each a breathy burst from the chest with a rough
# voiced edge, the second weaker.
gen cough.air synth 0.30 brownnoise synth 0.30 pinknoise mix bandpass 700 3o
gen cough.voice synth 0.30 sawtooth 140:110 lowpass 900 overdrive 12
mix cough.m cough.air 0 1 cough.voice 0 0.35
"${SOX[@]}" "$work/cough.m.wav" "$work/cough1.wav" fade t 0.006 0.30 0.26 fade l 0 0.30 0.2
mix cough cough1 0 1 cough1 0.30 0.65
finish cough WAVE2 11025 8 1 0.60 -2

# WAVE3 "Hello".
say hello en-us+m1 165 55 "Hello!"
fit hello 0.55
finish hello WAVE3 11025 8 1 0.55

# WAVE4 "Thank You".
say thanks en-us+f2 170 60 "Thank you!"
fit thanks 0.70
finish thanks WAVE4 22254 8 1 0.70

# WAVE5 "Where have you been?".
say where en-us+m3 190 50 "Where have you been?"
fit where 0.95
finish where WAVE5 11025 8 1 0.95

# WAVE6 "Snoring": a rattling snore breathed in, a soft whistling breath out,
# and a second snore.
gen snore.air synth 1.6 pinknoise lowpass 500
gen snore.rattle synth 1.6 sawtooth 48 lowpass 350
mix snore.m snore.air 0 1 snore.rattle 0 0.8
"${SOX[@]}" "$work/snore.m.wav" "$work/snore1.wav" tremolo 27 85 fade h 0.6 1.6 0.45
"${SOX[@]}" "$work/snore1.wav" "$work/snore2.wav" trim 0 1.35 fade h 0.5 1.35 0.4
gen breath synth 0.9 whitenoise bandpass 1400 1.5o synth 0.9 sine mix 1900 fade h 0.25 0.9 0.5 vol 0.25
mix snoring snore1 0 1 breath 1.70 0.7 snore2 2.75 0.9
finish_mp3 snoring WAVE6 4.26 -2

# WAVE7 "Sneezing": the breath caught three times, each higher, then the
# sneeze itself, a sharp spray of noise over the "choo".
say ah1 en-us+f1 120 40 "ah" trim 0 0.30 fade t 0.02 0.30 0.15
say ah2 en-us+f1 120 60 "ah" trim 0 0.30 fade t 0.02 0.30 0.15
say ah3 en-us+f1 110 80 "aah" trim 0 0.40 fade t 0.02 0.40 0.12
say choo en-us+f1 150 70 "tchoo!"
gen spray synth 0.35 whitenoise highpass 1800 fade t 0.005 0.35 0.3
mix sneeze ah1 0 0.6 ah2 0.50 0.7 ah3 1.00 0.8 choo 1.55 1 spray 1.55 0.5
finish sneeze WAVE7 11025 8 1 2.14

# WAVE8 "Sorry".
say sorry en-us+m1 165 45 "Sorry."
fit sorry 0.61
finish sorry WAVE8 22254 8 1 0.61

# WAVE9 "Welcome".
say welcome en-us+f2 160 55 "Welcome!"
fit welcome 0.80
finish welcome WAVE9 22050 8 1 0.80

# WAVE10 "Yeehaa": a cowboy's whoop, high and rising.
say yeehaa en-us+m3 140 85 "Yee haaw!" pitch 200
fit yeehaa 1.10
finish yeehaa WAVE10 11025 8 1 1.10

# WAVE11 "Yippee".
say yippee en-us+f3 150 95 "Yippeee!"
fit yippee 0.90
finish yippee WAVE11 11025 8 1 0.90

# WAVE12 "Oh No": slow and sinking.
say ohno en-us+m1 105 30 "Oh, no!" pitch -150
fit ohno 1.00
finish ohno WAVE12 22050 8 1 1.00

ls -l "$out"
