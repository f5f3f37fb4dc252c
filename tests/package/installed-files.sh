# What an install holds, below the folder given, one file a line, sorted;
# with "archive", the archive's README too, which scripts/run.sh leaves out.
# The data files are not among them: the program makes those.
icon_sizes=(16 32 48 64 128 256)
installed_files() {
    {
        printf "$1/%s\n" add-to-menu.sh share/applications/tolmarin.desktop tolmarin
        [ "${2:-}" != archive ] || echo "$1/README.txt"
        for size in "${icon_sizes[@]}"; do
            echo "$1/share/icons/hicolor/${size}x${size}/apps/tolmarin.png"
        done
    } | sort
}
