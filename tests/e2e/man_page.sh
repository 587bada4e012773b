# The man page the build made documents every option and switch --help lists, and carries the
# program's version.
source "$(dirname "$0")/lib.bash" "$@"
page=$(zcat "$BUILD/packaging/verdanth.6.gz"); status=$?
check "the build made the gzipped man page" [ "$status" -eq 0 -a -n "$page" ]
# The page as text: groff's minus signs as dashes, font changes dropped.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' <<<"$page")
options=$("$VERDANTH" --help | grep -oE '(^|[ (,/])--?[a-z][a-z0-9=:-]*' | sed -E -e 's/^[ (,/]//' -e 's/^(--.*):$/\1/' | sort -u)
check "--help lists options" [ "$(wc -l <<<"$options")" -ge 10 ]
for option in $options; do
  check "the man page has $option" grep -qF -- "$option" <<<"$text"
done
version=$("$VERDANTH" --version | awk '{print $2}')
check "the man page's header names version $version" grep -q "^\.TH VERDANTH 6 .*verdanth $version\"" <<<"$page"
finish
