#!/usr/bin/env bash
# Starts (or stops) a private PulseAudio server with one null sink "pulsara_null" (44100 Hz, mono)
# in a runtime folder of its own, so that the integration tests play into it and record its
# monitor without a sound card and without touching the user's own server.
set -euo pipefail
action=$1
runtime=$2

export XDG_RUNTIME_DIR=$runtime HOME=$runtime PULSE_RUNTIME_PATH=$runtime/pulse
unset PULSE_SERVER

case "$action" in
start)
    "$0" stop "$runtime" || true
    rm -rf "$runtime"
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
        --load="module-native-protocol-unix" \
        --load="module-null-sink sink_name=pulsara_null rate=44100 channels=1 norewinds=1" \
        --load="module-always-sink" \
        --log-target=file:"$runtime/pulseaudio.log"
    for _ in $(seq 100); do
        if pactl info >/dev/null 2>&1; then
            # Every thread of the server runs with real-time priority where that may be had, as
            # the audio threads of a desktop's server do: the tests beside this one keep both
            # cores busy, and a server kept waiting lets its streams run dry.
            pid=$(cat "$runtime/pulse/pid" 2>/dev/null || true)
            if [ -n "$pid" ]; then
                chrt -a -r -p 10 "$pid" 2>/dev/null || true
            fi
            pactl set-default-sink pulsara_null
            pactl set-default-source pulsara_null.monitor
            exit 0
        fi
        sleep 0.1
    done
    echo "PulseAudio did not come up; its log:" >&2
    cat "$runtime/pulseaudio.log" >&2 || true
    exit 1
    ;;
stop)
    if [ -d "$runtime" ]; then
        pid=$(cat "$runtime/pulse/pid" 2>/dev/null || true)
        # A pid file left behind by a server that died may by now name another process: only the
        # server that logs into this folder is ours to end.
        if [ -n "$pid" ] && ! tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null |
            grep -qF "file:$runtime/pulseaudio.log"; then
            pid=
        fi
        pulseaudio --kill 2>/dev/null || true
        # The server may refuse --kill when started as root; end it by its pid file, and wait
        # until it is gone, so that a server started next in the same folder does not meet it.
        if [ -n "$pid" ]; then
            kill "$pid" 2>/dev/null || true
            for _ in $(seq 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
    fi
    ;;
*)
    echo "usage: $0 start|stop <runtime-folder>" >&2
    exit 2
    ;;
esac
