#!/bin/sh
# Makes FOLDER/data/reg holding COUNT empty layout exports, for the listing test of a very full
# export folder. Made here rather than by the driver: Wine creates files a hundred times slower.
set -eu
folder=$1
count=$2
rm -rf "$folder"
mkdir -p "$folder/data/reg"
cd "$folder/data/reg"
seq -f '2024-01-01_%06g.reg' 0 $((count - 1)) | xargs touch
