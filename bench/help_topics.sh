#!/bin/bash
# The share of netlist lines on which F1 opens the right help page, by kind of line.
#
#   bench/help_topics.sh FOLDER [KELVO_LINES]
#
# Every *.cir, *.sp, *.spi, *.spice and *.net file below FOLDER is read by
# `kelvo_lines --help-topics`; each line's page is then judged by a rule of its own, apart
# from the editor's lookup: the line's first word, read as the simulator reads it, must be
# among the words the page's title is about (".MEAS/.MEASURE: measurements" is about .MEAS
# and .MEASURE). Blank lines are not counted. Lines that the judge gets wrong are listed on
# standard error as FILE:LINE: got TITLE.
set -euo pipefail

folder=${1:?usage: bench/help_topics.sh FOLDER [KELVO_LINES]}
tool=${2:-$(dirname "$0")/../build/tools/kelvo_lines}

find "$folder" -type f \( -iname '*.cir' -o -iname '*.sp' -o -iname '*.spi' -o -iname '*.spice' \
    -o -iname '*.net' \) -print0 | sort -z |
while IFS= read -r -d '' file; do
    "$tool" --help-topics "$file" 2>/dev/null | awk -v name="$file" '
        BEGIN { FS = "\t" }
        NR == FNR { title[$1] = $2; next }
        { judge(FNR, $0) }
        function about(t, word,    left, n, i, words) {
            left = toupper(t); sub(/:.*/, "", left)
            n = split(left, words, "/")
            for (i = 1; i <= n; i++)
                if (words[i] == word) return 1
            return 0
        }
        function judge(number, line,    text, word, kind, ok, t) {
            text = line; sub(/^[ \t]+/, "", text); sub(/\r$/, "", text)
            if (text == "") return
            t = title[number]
            word = tolower(text); sub(/[^a-z0-9_.*].*$/, "", word)
            # ngspice ends a line at ";" and at a "$" with a blank after it: a line that
            # begins with one is a comment, in a control section too.
            if (substr(text, 1, 1) == "*" || text ~ /^(;|\$([ \t]|$))/) {
                kind = "comment"; ok = t ~ /^\*/
            } else if (substr(text, 1, 1) == "+") {
                kind = "continuation"; ok = (t == card)
            } else if (number == 1 && substr(text, 1, 1) != ".") {
                kind = "title"; ok = t ~ /^\.TITLE:/
                card = t
            } else if (substr(text, 1, 1) == ".") {
                kind = "dot"
                if (word in dotAlias) word = dotAlias[word]
                ok = about(t, toupper(word)) || (word == ".sens" && about(t, "SENS"))
                if (word == ".control") inControl = 1
                if (word == ".endc") inControl = 0
                card = t
            } else if (inControl) {
                kind = "control"
                sub(/^pre_/, "", word) # run before the circuit is read, the same command
                if (word in cmdAlias) word = cmdAlias[word]
                ok = about(t, toupper(word)) || about(t, "." toupper(word))
                card = t
            } else {
                kind = "element"
                ok = about(t, toupper(substr(text, 1, 1)))
                card = t
            }
            printf "%s %d\n", kind, ok ? 1 : 0
            if (!ok) printf "%s:%d: got %s\n", name, number, t > "/dev/stderr"
        }
        BEGIN {
            dotAlias[".option"] = ".options"; dotAlias[".opt"] = ".options"
            dotAlias[".inc"] = ".include"; dotAlias[".endl"] = ".lib"
            dotAlias[".elseif"] = ".if"
            cmdAlias["exit"] = "quit"; cmdAlias["listings"] = "listing"
            cmdAlias["measure"] = "meas"; cmdAlias["option"] = "options"
            cmdAlias["undefine"] = "define"
        }
    ' - "$file"
done | awk '
    { total[$1]++; right[$1] += $2; all++; good += $2 }
    END {
        for (kind in total)
            printf "%-13s %6d lines  %6.1f%% right\n", kind, total[kind], 100 * right[kind] / total[kind]
        if (all) printf "%-13s %6d lines  %6.1f%% right\n", "all", all, 100 * good / all
    }'
