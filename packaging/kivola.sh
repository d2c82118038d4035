#!/bin/sh
# The game finds res/, rur.chm and libNW.so beside its executable.
exec "$(dirname "$(readlink -f "$0")")/../lib/kivola/kivola" "$@"
