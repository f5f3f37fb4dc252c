#!/usr/bin/env bash
# Every relative link in the documents points at a file or folder that
# exists: README.md, CHANGELOG.md, CONTRIBUTING.md and docs/*.md. Links with
# a scheme (https:, mailto:) and links to an anchor in the same document are
# not checked; a #anchor after a path is dropped before the path is looked
# up, relative to the document that holds the link. Pictures count too, also
# as HTML (<img src="...">). Fenced code blocks and `code spans` hold no links.
# Usage: docs-links.sh [SOURCE_DIR]   (exit 1 names each broken link)
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 1

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
        '' | '#'* | *://* | mailto:*) continue ;;
        esac
        path=${target%%#*}
        checked=$((checked + 1))
        if [ ! -e "$(dirname "$doc")/$path" ]; then
            echo "$doc:$line: broken link: $target"
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
[ $broken = 0 ] && echo "$checked relative links, each pointing at a file that exists"
exit $broken
