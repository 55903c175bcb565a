# Sourced by ./test and ./run: installs the Debian packages and the locale the build needs, only
# when they are missing.
orva_packages=(cmake ninja-build g++ clang lld libboost-dev libgtest-dev mingw-w64 wine wine64
    nlohmann-json3-dev libcli11-dev libfmt-dev libfast-float-dev locales time binutils libclang-rt-14-dev
    dpkg-dev file lintian python3 librsvg2-bin gdal-bin libgdal-dev python3-gdal python3-geopandas
    emscripten chromium chromium-driver python3-selenium)

orva_missing=()
for p in "${orva_packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || orva_missing+=("$p")
done
if [ ${#orva_missing[@]} -gt 0 ]; then
    echo "== installing: ${orva_missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${orva_missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: ru_RU.UTF-8 gives 1251.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    echo "== generating the ru_RU.UTF-8 locale"
    sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
