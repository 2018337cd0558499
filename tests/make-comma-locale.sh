#!/bin/sh
# Builds ru_RU.UTF-8 (decimal comma) into the folder given, for LOCPATH.
set -e
dir=$1
mkdir -p "$dir"
if [ ! -f "$dir/ru_RU.UTF-8/LC_NUMERIC" ]; then
  localedef -i ru_RU -f UTF-8 "$dir/ru_RU.UTF-8"
fi
