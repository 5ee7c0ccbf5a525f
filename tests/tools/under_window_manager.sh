#!/bin/sh
# Runs a test program on a virtual X display with a window manager, for the
# desktop tests that need focus handed out as on a user's desktop:
#   under_window_manager.sh PROGRAM [ARGUMENTS...]
set -eu
for tool in xvfb-run openbox; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
    ready=$(mktemp -u)
    openbox --startup "touch $ready" &
    manager=$!
    # The window manager says it is up by making the file; bounded.
    tries=0
    while [ ! -e "$ready" ] && [ $tries -lt 300 ]; do sleep 0.1; tries=$((tries + 1)); done
    rm -f "$ready"
    status=0
    QT_QPA_PLATFORM=xcb "$@" || status=$?
    kill $manager 2>/dev/null || true
    wait $manager 2>/dev/null || true
    exit $status' under_window_manager "$@"
