#!/bin/sh
# Installs the build into a temporary DESTDIR and checks it as a packager
# would: the files are there, the desktop entry and the AppStream metadata
# validate, every program has a manual page that renders without warnings,
# and answers --help and --version without a display.
#   install_check.sh BUILD_DIR VERSION
set -u
build=$1
version=$2
id=de.morvale.Morvale

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

DESTDIR=$dest cmake --install "$build" --prefix /usr --strip >/dev/null || exit 1
usr=$dest/usr

for file in bin/morvale bin/kcsend bin/kccstrip bin/kcsim \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/128x128/apps/$id.png \
    share/doc/morvale/README.md share/doc/morvale/copyright share/doc/morvale/changelog.gz; do
    [ -f "$usr/$file" ] || fail "$file is not installed"
done

desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "AppStream metadata: $(appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml")"

# The versions a user or a package tool reads must agree with the build's.
grep -q "<release version=\"$version\"" "$usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metadata's newest release is not $version"
gzip -dc "$usr/share/doc/morvale/changelog.gz" | head -n 1 | grep -q "^morvale ($version)" ||
    fail "the changelog's first entry is not $version"

for program in "$usr"/bin/*; do
    name=$(basename "$program")
    [ -f "$usr/share/man/man1/$name.1.gz" ] || fail "$name has no manual page"
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help </dev/null >/dev/null ||
        fail "$name --help"
    answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version </dev/null) ||
        fail "$name --version"
    case $answer in
    *"$version"*) ;;
    *) fail "$name --version says '$answer', not $version" ;;
    esac
done

for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

exit $failed
