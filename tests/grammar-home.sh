#!/bin/sh
# The NC grammar has one home: no string literal outside nc/ spells a word or mark of program text.
# Prints the offending lines and fails when there are any.
top=${1:?usage: grammar-home.sh SOURCE_DIR}
pattern='"[^"]*(G92|G60|G4[01]|M02|G0[13]| D0|%\(|CIRCLE:|RECTANGLE:|CONE:|RECT-TAPER:)[^"]*"'
hits=$(cd "$top" && grep -rnE "$pattern" holes fields save load export text cli app --include='*.cpp' --include='*.h' | grep -vE ':[0-9]+:\s*//')
if [ -n "$hits" ]; then
  echo "NC program text outside nc/:"
  echo "$hits"
  exit 1
fi
echo "no NC program text outside nc/"
