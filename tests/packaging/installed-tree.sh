#!/bin/sh
# Installs the build into a temporary prefix, checks the tree (with the
# desktop's validators where they are installed), and runs the installed
# programs from outside the build folder, as a user of a moved installation
# would.
#   installed-tree.sh BUILD_FOLDER VERSION
set -eu

build=$1
version=$2
app=org.tessaform.tessaform
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "installed-tree: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$scratch/installed" >/dev/null

for file in bin/tessaform bin/tessaform-render share/tessaform/gradient.jpg \
    share/applications/$app.desktop share/metainfo/$app.metainfo.xml share/mime/packages/tessaform.xml \
    share/icons/hicolor/scalable/apps/$app.svg share/icons/hicolor/16x16/apps/$app.png \
    share/icons/hicolor/512x512/apps/$app.png share/man/man1/tessaform.1.gz share/man/man1/tessaform-render.1.gz \
    share/bash-completion/completions/tessaform-render share/doc/tessaform/copyright; do
    [ -f "$scratch/installed/$file" ] || fail "not installed: $file"
done

share=$scratch/installed/share
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$share/applications/$app.desktop" || fail "desktop entry not valid"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml" >/dev/null || fail "metainfo not valid"
fi
grep -q "<release version=\"$version\"" "$share/metainfo/$app.metainfo.xml" || fail "metainfo release is not $version"
if command -v update-mime-database >/dev/null; then
    update-mime-database "$share/mime"
    grep -q 'application/x-tessaform-parameters:\*\.j4d' "$share/mime/globs2" || fail "no file type for .j4d"
fi
bash -n "$share/bash-completion/completions/tessaform-render" || fail "completion is not valid bash"
grep -q 'constant\.x' "$share/bash-completion/completions/tessaform-render" || fail "completion lacks the fields"
gzip -dc "$share/man/man1/tessaform-render.1.gz" | grep -q 'save\\-params' || fail "manual page lacks --save-params"

# Moved away from where it was installed, and away from the build folder's
# gradient: the programs find their data relative to themselves.
mv "$scratch/installed" "$scratch/moved"
mkdir "$scratch/elsewhere"
cd "$scratch/elsewhere"
bin=$scratch/moved/bin
[ "$("$bin/tessaform-render" --version)" = "tessaform-render (Tessaform $version)" ] || fail "tessaform-render --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/tessaform" --version)" = "tessaform (Tessaform $version)" ] ||
    fail "tessaform --version"
"$bin/tessaform-render" -q -W 32 -H 24 -o julia.png || fail "the installed tessaform-render did not render"
grep -q "Tessaform $version" julia.png || fail "the image does not name Tessaform $version"

# Films come from the film writer library the programs load; without it a
# film is refused in one line, and stills still render.
cat >film.toml <<'FILM'
[[key]]
frame = 0
[[key]]
frame = 1
phi = 0.1
FILM
"$bin/tessaform-render" -q --animation film.toml -W 16 -H 12 -o film.mp4 >/dev/null ||
    fail "the installed tessaform-render did not make a film"
[ -s film.mp4 ] || fail "no film written"
film_writer=$(find "$scratch/moved" -name libtessaform-film.so)
[ -n "$film_writer" ] || fail "no film writer library installed"
rm "$film_writer"
status=0
"$bin/tessaform-render" -q --animation film.toml -W 16 -H 12 -o again.mp4 >/dev/null 2>refused.txt || status=$?
[ "$status" -eq 1 ] || fail "a film without the film writer exited with $status, not 1"
[ "$(wc -l <refused.txt)" -eq 1 ] && grep -q "film writer.*is missing: reinstall Tessaform" refused.txt ||
    fail "a film without the film writer said: $(cat refused.txt)"
"$bin/tessaform-render" -q -W 32 -H 24 -o without-films.png || fail "no still without the film writer"

rm "$scratch/moved/share/tessaform/gradient.jpg"
if "$bin/tessaform-render" -q -W 32 -H 24 -o missing.png 2>/dev/null; then
    fail "rendered without the installed gradient: it found another one"
fi
