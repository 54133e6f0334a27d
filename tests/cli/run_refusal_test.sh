#!/bin/bash
# Every refusal of the run assembly through the real program: its one exact
# line on standard error, nothing else there, exit status 1, and no hang.
source "$(dirname "$0")/run_common.sh"

C=$WORK/cities
mkdir -p "$C"
city_file "$C/six-lines.tsp"
city_file "$C/gap.tsp" "1 0 0" "2 0 3" "4 4 0" EOF
city_file "$C/no-digits.tsp" "1 0 0" "2 0 3" "three 4 3" EOF
city_file "$C/negative.tsp" "1 0 0" "-2 0 3" "2 4 3" EOF
city_file "$C/huge-id.tsp" "1 0 0" "4294967297 0 3" EOF
city_file "$C/short.tsp" "1 0 0" "2 0"
city_file "$C/nan.tsp" "1 0 0" "2 nan 3" EOF
city_file "$C/overflow.tsp" "1 0 0" "2 0 1e400" EOF
city_file "$C/one.tsp" "1 0 0" EOF
city_file "$C/two.tsp" "1 0 0" "2 0 3" EOF
city_file "$C/three.tsp" "1 0 0" "2 0 3" "3 4 3" EOF
# Column-aligned records, as some TSPLIB files have them: the leading blank makes an empty id.
city_file "$C/aligned.tsp" "  1 0 0" "  2 0 3" "  3 4 3" EOF
# Records that are not 'id x y' on single blanks, or cut short at the end.
city_file "$C/two-blanks.tsp" "1 0  0" EOF
city_file "$C/no-number.tsp" "1 0 0" "2 abc 4" EOF
city_file "$C/fourth-field.tsp" "1 0 0 1" EOF
city_file "$C/fraction-id.tsp" "1 0 0" "2.7 1 1" EOF
city_file "$C/id-only.tsp" "1 0 0" "2"
city_file "$C/no-y.tsp" "1 0 0" "2 5 "
city_file "$C/id-between.tsp" "1 0 0" "2" "3 1 1" EOF
city_file "$C/nul.tsp"
printf '1 0 0\n2 \0 4\n' >>"$C/nul.tsp"
city_file "$C/long-record.tsp" "1 0 0 $(printf 'x%.0s' {1..70})"
city_file "$C/huge-line.tsp"
head -c 1048577 /dev/zero | tr '\0' 7 >>"$C/huge-line.tsp"
# A path longer than any fixed buffer, to a file that does not exist.
LONG=$C/$(printf 'd%.0s' {1..300}).tsp

invalid="Error: Invalid or missing value for the"
gap="Error: City ids must run from 1 to"
line="Error: Line"
record="of the city file is not a record 'id x y':"
# refused NAME: the run left in $WORK/refused.* ended with status 1 and the
# line in $WORK/expected alone on standard error.
refused() {
  [ "$(cat "$WORK/refused.rc")" = 1 ] || fail "[$1]: exit status $(cat "$WORK/refused.rc"), expected 1"
  expect_same "[$1] standard error" "$WORK/expected" "$WORK/refused.err"
}
while IFS='|' read -r args input message; do
  # shellcheck disable=SC2086 # the keyword and the mode are two arguments
  zrun refused $args <<<"$input"
  printf '%s\n' "$message" >"$WORK/expected"
  refused "${args// /_}:$input"
done < <(sed "s|\$C|$C|g; s|\$LONG|$LONG|g; s|\$invalid|$invalid|g; s|\$gap|$gap|g; s|\$line|$line|g; s|\$record|$record|g" <<'EOF'
p2 s||$invalid population size!
p2 s|x|$invalid population size!
p2 s|7|$invalid population size!
p2 s|7 9 11 twelve|$invalid population size!
p10 p|2.5|$invalid population size!
p2 s|4abc|$invalid population size!
p2 s|4 0x10|$invalid chromosome length!
tsp s|examples/square4.tsp 4 4.5|$invalid number of generations!
p2 s|4 8 1 1,5|$invalid crossover probability!
p10 p|4 8 1 0.5 5%|$invalid mutation probability!
p2 p|4|$invalid chromosome length!
p2 s|4 eight|$invalid chromosome length!
p2 s|4 8|$invalid number of generations!
p10 s|4 8 many|$invalid number of generations!
p2 s|4 8 1|$invalid crossover probability!
tsp s|examples/square4.tsp 4 1 high|$invalid crossover probability!
p2 s|4 8 1 0.5|$invalid mutation probability!
pmx p|examples/square4.tsp 4 1 0.5 low|$invalid mutation probability!
p2 s|0|Error: Population size must be greater than 0!
tsp p|examples/square4.tsp -3 -4|Error: Population size must be greater than 0!
p2 s|4 0 1 0.5 0.5|Error: Chromosome length must be between 1 and 1023!
p10 s|4 1024 1 0.5 0.5|Error: Chromosome length must be between 1 and 1023!
p2 s|4 -8 1 0.5 0.5|Error: Chromosome length must be between 1 and 1023!
tsp s||Error: No path to a city file was given!
pmx s|   |Error: No path to a city file was given!
tsp s|$C/missing.tsp 4 1 0.5 0.5|Error: Cannot open city file '$C/missing.tsp'!
tsp s|$C|Error: Cannot open city file '$C'!
tsp s|$LONG|Error: Cannot open city file '$LONG'!
tsp s|$C/six-lines.tsp|Error: The city file holds no cities!
tsp s|$C/gap.tsp|$gap 3 without gaps; found id 4!
pmx s|$C/no-digits.tsp|$gap 3 without gaps; found id 0!
tsp p|$C/negative.tsp|$gap 3 without gaps; found id -2!
tsp s|$C/aligned.tsp|$line 7 $record '  1 0 0'!
pmx p|$C/two-blanks.tsp|$line 7 $record '1 0  0'!
tsp s|$C/no-number.tsp|$line 8 $record '2 abc 4'!
tsp p|$C/fourth-field.tsp|$line 7 $record '1 0 0 1'!
tsp s|$C/nul.tsp|$line 8 $record '2 \x00 4'!
pmx s|$C/long-record.tsp|$line 7 $record '1 0 0 xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx'!
tsp s|$C/id-between.tsp|$line 8 $record '2'!
tsp s|$C/fraction-id.tsp|Error: Invalid city id '2.7'!
tsp s|$C/id-only.tsp|Error: The city file ends inside the record of city 2!
pmx s|$C/no-y.tsp|Error: The city file ends inside the record of city 2!
tsp s|$C/huge-line.tsp|$line 7 of the city file is longer than 1048576 characters!
tsp s|/dev/zero|$line 1 of the city file is longer than 1048576 characters!
tsp s|$C/huge-id.tsp|Error: Invalid city id '4294967297'!
tsp s|$C/short.tsp|Error: The city file ends inside the record of city 2!
tsp s|$C/nan.tsp|Error: City 2 has a coordinate that is not a finite number!
pmx s|$C/overflow.tsp|Error: City 2 has a coordinate that is not a finite number!
tsp s|$C/one.tsp 4 1 0.5 0.5|Error: Too few cities for this encoding; at least 2 are needed!
pmx p|$C/two.tsp 4 1 0.5 0.5|Error: Too few cities for this encoding; at least 3 are needed!
EOF
)

# Endless input is cut off at its limit: a word of NUL bytes at the first
# prompt. A path holding a NUL byte is refused whole, not opened up to it.
zrun refused tsp s </dev/zero
echo "Error: The path of the city file is longer than 4096 characters!" >"$WORK/expected"
refused "tsp s </dev/zero"
zrun refused p2 p </dev/zero
echo "$invalid population size!" >"$WORK/expected"
refused "p2 p </dev/zero"
printf 'examples/square4.tsp\0.x 4 1 1 1' | zrun refused pmx s
printf "Error: Cannot open city file 'examples/square4.tsp\\0.x'!\\n" >"$WORK/expected"
refused "path with a NUL byte"

# The smallest city files each encoding can breed are accepted.
# Every crossover and a mutation per gene on average, so that a redraw that
# cannot end would show.
for run in "tsp two" "pmx three"; do
  read -r objective file <<<"$run"
  zrun "$objective" "$objective" s <<<"$C/$file.tsp 20 50 1 0.5"
  [ "$(cat "$WORK/$objective.rc")" = 0 ] && [ ! -s "$WORK/$objective.err" ] ||
    fail "$objective on $file.tsp: $(cat "$WORK/$objective.err")"
done
echo "refusals: ok"
