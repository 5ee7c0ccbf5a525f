#!/usr/bin/env bash
# The installed programs as a user meets them: `cmake --install` of the build
# into a scratch root holds every file a user and the desktop look for; the
# installed programs run and tell the build's version; each manual page
# renders and names every option its program's --help prints; the bash
# completion offers commands, options, setting keys and files.
#
# check_install.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install"
usr=$root/usr

# Every shipped file, by where the system looks for it.
for file in bin/tamsivane bin/tamsivane-cli \
    share/applications/tamsivane.desktop share/mime/packages/tamsivane-setup.xml \
    share/icons/hicolor/scalable/apps/tamsivane.svg share/terminfo/t/tamsivane \
    share/tamsivane/default.qzv share/tamsivane/help/index.htm \
    share/man/man1/tamsivane.1.gz share/man/man1/tamsivane-cli.1.gz \
    share/bash-completion/completions/tamsivane-cli \
    share/doc/tamsivane/copyright share/doc/tamsivane/changelog.gz; do
    [ -s "$usr/$file" ] || fail "not installed: /usr/$file"
done
for size in 16 22 24 32 48 64 128 256; do
    icon=$usr/share/icons/hicolor/${size}x$size/apps/tamsivane.png
    file -b "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size," ||
        fail "no $size x $size PNG icon"
done
# The plug-in folder is /usr/lib/tamsivane, or under the architecture's
# library folder where the build was configured for /usr.
plugins=$(find "$usr/lib" -path '*/tamsivane/libtamsivane-layouts.so' 2>/dev/null)
[ -n "$plugins" ] || fail "no layout plug-in under /usr/lib"

# The installed programs run from there, with the build's one version.
for program in tamsivane tamsivane-cli; do
    shown=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/$program" --version)
    [ "$shown" = "$program $version" ] || fail "$program --version says \"$shown\""
done

# After -e COMMAND the words are the command's: no answer of our own.
shown=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/tamsivane" -e echo --version 2>/dev/null)
[ -z "$shown" ] || fail "tamsivane took the command's --version: \"$shown\""

# A manual page renders without complaint and names every option of --help.
for program in tamsivane tamsivane-cli; do
    page=$usr/share/man/man1/$program.1.gz
    warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$program.1: $warnings"
    roff=$(gzip -dc "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g')
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES EXAMPLES "Exit status"; do
        grep -q "$section" <<<"$roff" || fail "$program.1 has no $section"
    done
    options=$("$usr/bin/$program" --help | grep -oE -- '(^|[ [])--?[A-Za-z][a-z0-9-]*' |
        sed 's/^[ []*//' | sort -u)
    [ -n "$options" ] || fail "$program --help names no option"
    for option in $options; do
        grep -qe "$option\b" <<<"$roff" || fail "$program.1 lacks $option"
    done
done

# The help names every option that a command's usage shows.
cli_help=$("$usr/bin/tamsivane-cli" --help)
for command in replay run keys settings; do
    for option in $("$usr/bin/tamsivane-cli" "$command" --help | grep -o -- '--[a-z0-9-]*' | sort -u); do
        grep -qe "^  $option\b" <<<"$cli_help" || fail "tamsivane-cli --help does not explain $option"
    done
done

# Completion, as bash runs it: COMP_WORDS up to the cursor, then the
# function; COMPREPLY holds the offers.
completion_test() {
    set +u # bash-completion reads variables that may be unset
    # shellcheck disable=SC1091
    source /usr/share/bash-completion/bash_completion
    source "$usr/share/bash-completion/completions/tamsivane-cli"
    compopt() { :; } # outside a real completion there are no options to set
    cd "$root" || return 1
    mkdir -p setups && touch setups/lab.qzv setups/notes.txt
    offers() {
        COMP_WORDS=("$@")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_LINE="${COMP_WORDS[*]}"
        COMP_POINT=${#COMP_LINE}
        COMPREPLY=()
        _tamsivane_cli
        printf '%s\n' "${COMPREPLY[@]}"
    }
    expect() { # expect WORD... :: OFFER...
        local words=() offered
        while [ "$1" != "::" ]; do words+=("$1"); shift; done
        shift
        offered=$(offers "${words[@]}")
        for want in "$@"; do
            grep -qxF -- "$want" <<<"$offered" || fail "\"${words[*]}\" does not offer $want: $offered"
        done
    }
    expect tamsivane-cli "" :: run replay keys settings --help --version
    expect tamsivane-cli run --host h --set Col :: Columns=
    expect tamsivane-cli keys --set=TermI :: TermID=
    expect tamsivane-cli settings Term :: TermID
    expect tamsivane-cli run --ti :: --timeout
    expect tamsivane-cli run -- :: --send --host --loopback --zmodem-send --script --set
    expect tamsivane-cli replay --d :: --dump
    expect tamsivane-cli replay --dump j :: json
    expect tamsivane-cli keys --setup setups/ :: setups/lab.qzv
    expect tamsivane-cli replay --print-to setups/n :: setups/notes.txt
    [ -z "$(offers tamsivane-cli keys --setup setups/n)" ] || fail "--setup offers other files"
}
PATH=$usr/bin:$PATH completion_test

[ "$failures" -eq 0 ] && echo "install tree, manual pages and completion: all good"
[ "$failures" -eq 0 ]
