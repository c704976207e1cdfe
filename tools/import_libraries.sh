#!/bin/sh
# Makes the import libraries that a Windows build links against, one per
# library named in the given lists ("LIBRARY function ..." a line, as in
# tools/module_imports.txt; '#' starts a comment): a definition file naming
# exactly the listed functions, then llvm-dlltool.  Debian ships no import
# libraries for ARM64, and made from the list, a call of anything unlisted
# fails at the link.
#
#   sh tools/import_libraries.sh DLLTOOL MACHINE FOLDER LIST...
#
# Writes FOLDER/NAME.def and FOLDER/libNAME.a (NAME in lower case, without
# .DLL), e.g. libuser32.a; MACHINE is llvm-dlltool's (arm64).
set -eu
dlltool=$1 machine=$2 folder=$3
shift 3
mkdir -p "$folder"
rm -f "$folder"/*.def "$folder"/lib*.a
awk -v folder="$folder" '
    /^[[:space:]]*(#|$)/ { next }
    { library = toupper($1); name = tolower(library); sub(/\.DLL$/, "", name)
      file = folder "/" name ".def"
      if (!(file in started)) { started[file] = 1; print "LIBRARY " library > file; print "EXPORTS" > file }
      if (!((file, $2) in listed)) { listed[file, $2] = 1; print "    " $2 > file } }' "$@"
for def in "$folder"/*.def; do
    name=$(basename "$def" .def)
    "$dlltool" -m "$machine" -d "$def" -l "$folder/lib$name.a"
done
