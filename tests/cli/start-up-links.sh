#!/bin/sh
# What each program costs at every start, from its dynamic section: no
# FFmpeg library (films load it through the film writer library), and
# Highway's start-up timer calibration answered by the program itself.
#   start-up-links.sh PROGRAM...
set -eu

for program; do
    if readelf --dynamic "$program" | grep -E 'NEEDED.*lib(av[a-z]+|swscale)\.so'; then
        echo "start-up-links: $program links FFmpeg" >&2
        exit 1
    fi
    readelf --dyn-syms --wide "$program" | grep -qE ' FUNC +GLOBAL +DEFAULT +[0-9]+ _ZN3hwy8platform15TimerResolutionEv$' || {
        echo "start-up-links: $program leaves Highway's timer calibration to the library" >&2
        exit 1
    }
done
