#!/usr/bin/env bash
# Every relative link in the documents points at a file or folder that
# exists: README.md, CHANGELOG.md, CONTRIBUTING.md and docs/*.md. Links with
# a scheme (https:, mailto:) are not checked. A path is looked up relative to
# the document that holds the link; a #anchor after it, or alone (the same
# document), must name a heading of that Markdown document, made into an
# anchor as the usual Markdown renderers do: lower case, punctuation dropped,
# spaces as hyphens, a repeated heading numbered -1, -2. Pictures count too,
# also as HTML (<img src="...">). Fenced code blocks and `code spans` hold
# no links.
# Usage: docs-links.sh [SOURCE_DIR]   (exit 1 names each broken link)
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 1

# The anchors of a Markdown document's headings, one a line.
anchors() {
    awk '
        /^[ \t]*(```|~~~)/ { fenced = !fenced; next }
        fenced || !/^#+[ \t]/ { next }
        {
            text = tolower($0)
            sub(/^#+[ \t]+/, "", text)
            gsub(/[^a-z0-9 _-]/, "", text)
            gsub(/ /, "-", text)
            print (seen[text]++ ? text "-" seen[text] - 1 : text)
        }' "$1"
}

broken=0 checked=0
for doc in README.md CHANGELOG.md CONTRIBUTING.md docs/*.md; do
    if [ ! -f "$doc" ]; then
        echo "$doc: missing"
        broken=1
        continue
    fi
    # [text](target), ![alt](target), src="target" and [label]: target,
    # one target a line.
    while IFS=$'\t' read -r line target; do
        target=${target%% \"*} # a title: [text](path "title")
        target=${target#<}
        target=${target%>}
        case "$target" in
        '' | *://* | mailto:*) continue ;;
        esac
        path=${target%%#*}
        file=$doc
        [ -z "$path" ] || file=$(dirname "$doc")/$path
        checked=$((checked + 1))
        if [ ! -e "$file" ]; then
            echo "$doc:$line: broken link: $target"
            broken=1
        elif [ "$target" != "$path" ] && [[ "$file" == *.md ]] &&
            ! anchors "$file" | grep -qxF -- "${target#*#}"; then
            echo "$doc:$line: no heading for the anchor: $target"
            broken=1
        fi
    done < <(awk '
        /^[ \t]*(```|~~~)/ { fenced = !fenced; next }
        fenced { next }
        {
            text = $0
            gsub(/`[^`]*`/, "", text)
            if (match(text, /^ *\[[^]]+\]:[ \t]+/)) {
                rest = substr(text, RLENGTH + 1); sub(/[ \t].*/, "", rest)
                print NR "\t" rest
                next
            }
            html = text
            while (match(text, /\]\([^)]*\)/)) {
                print NR "\t" substr(text, RSTART + 2, RLENGTH - 3)
                text = substr(text, RSTART + RLENGTH)
            }
            while (match(html, /src="[^"]*"/)) {
                print NR "\t" substr(html, RSTART + 5, RLENGTH - 6)
                html = substr(html, RSTART + RLENGTH)
            }
        }' "$doc")
done
[ $broken = 0 ] && echo "$checked relative links, each pointing at a file, and a heading, that exist"
exit $broken
