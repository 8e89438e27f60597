# Fetching Debian's own source packages, for the scripts that build a C
# library for another platform (scripts/build-windows-libraries,
# scripts/build-web). Sourced; expects $sources, the folder the sources go to.
# The version of Debian's binary package the Linux build links; its source
# package is fetched at that version.
installed_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true; }

# apt-get source needs deb-src lines; a machine set up for binaries only has
# none, so one file adds them for the suites the binary lines name.
ensure_deb_src() {
  if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  local suites
  suites=$(. /etc/os-release && echo "$VERSION_CODENAME")
  local sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  echo "adding deb-src lines for $suites to /etc/apt/sources.list.d/tesserlink-deb-src.sources" >&2
  $sudo_cmd tee /etc/apt/sources.list.d/tesserlink-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suites $suites-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo_cmd apt-get update >/dev/null
}

# fetch SOURCE VERSION: unpacks Debian's source package (patches applied) under
# $sources and prints its folder, or prints nothing and leaves the reason in
# $sources/SOURCE.log.
fetch() {
  local source=$1 version=$2 folder
  folder=$(find "$sources" -maxdepth 1 -type d -name "$source-${version%%-*}*" | head -n1)
  if [ -z "$folder" ]; then
    ensure_deb_src
    (cd "$sources" && apt-get source --only-source "$source=$version" >"$source.log" 2>&1) || true
    folder=$(find "$sources" -maxdepth 1 -type d -name "$source-${version%%-*}*" | head -n1)
  fi
  echo "$folder"
}

# The reason a fetch failed, in one line.
fetch_failure() {
  local line
  line=$(grep -m1 -E '^E: ' "$sources/$1.log" 2>/dev/null | sed -e 's/^E: //' \
    -e 's|Failed to fetch [^ ]*/\([^/ ]*\) *\([0-9][0-9][0-9][^[]*[^[ ]\).*|the archive answered \2 for \1|' || true)
  echo "Debian's source package $1 $2 could not be fetched (${line:-no reason given})"
}
