# Installs the Debian packages a command needs when they are missing.
# Sourced by ./run and ./test: ensure_packages PACKAGE...

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; return 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the project needs.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev libtomlplusplus-dev
    libsoci-dev libboost-dev libsqlite3-dev sqlite3 libpq-dev libcpp-httplib-dev libssl-dev
    nlohmann-json3-dev libsimdjson-dev qt6-base-dev libqt6test6 qt6-qpa-plugins fonts-dejavu-core
    libsodium-dev)
# The server benchmark compresses answers with zstd to report their size on a
# compressed wire; simdjson (above) is the decode benchmark's yardstick, and
# only the benchmarks link it.
BUILD_PACKAGES+=(libzstd-dev)
# Qt's own texts (dialog buttons, context menus) in Brazilian Portuguese;
# the condensed sans-serif that captions laid out for a narrower font narrow to.
BUILD_PACKAGES+=(qt6-translations-l10n fonts-dejavu-extra)
# The server's HTTP edge: Boost.Asio and Boost.Beast (in libboost-dev, above);
# compressed answers (zstd) on both ends of the wire.
BUILD_PACKAGES+=(libboost-dev libzstd-dev)
# The desktop's HTTP client: libcurl reads large answers in few system calls,
# hands them over piece by piece (decoded while they arrive), checks
# certificates (OpenSSL) and stops a transfer the user cancels.
BUILD_PACKAGES+=(libcurl4-openssl-dev)
# What only the tests need: the PostgreSQL server, clang for the fuzz targets,
# curl for the installed server's health check, the openssl command that
# makes the TLS tests' certificates.
TEST_PACKAGES=(postgresql clang-14 libfuzzer-14-dev libclang-rt-14-dev curl openssl)
# What showing the window without a display needs.
RUN_PACKAGES=(xvfb xauth)
