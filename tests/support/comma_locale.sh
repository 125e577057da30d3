# Comma-decimal locales for shell tests, made in a folder of the test's own:
#
#   . tests/support/comma_locale.sh
#   make_comma_locales "$work/locales" || exit $?   # 77: skipped
#   LOCPATH="$work/locales" LC_ALL=de_DE.UTF-8 program ...
#
# localedef compiles de_DE.UTF-8 and fr_FR.UTF-8 there (glibc finds them
# through LOCPATH). Returns 77 with "skipped: localedef missing" only where
# localedef, locale or the locale sources are not on the machine; 1 when
# localedef fails or a made locale's decimal point is not "," (a run in it
# would prove nothing); 0 when both are ready.
COMMA_LOCALES="de_DE.UTF-8 fr_FR.UTF-8"

make_comma_locales() {
  local dir="$1" name source point
  if ! command -v localedef >/dev/null 2>&1 || ! command -v locale >/dev/null 2>&1; then
    echo "skipped: localedef missing"
    return 77
  fi
  for name in $COMMA_LOCALES; do
    source="${name%%.*}"
    if [ ! -e "/usr/share/i18n/locales/$source" ] ||
       { [ ! -e /usr/share/i18n/charmaps/UTF-8.gz ] && [ ! -e /usr/share/i18n/charmaps/UTF-8 ]; }; then
      echo "skipped: localedef missing (no locale sources for $source)"
      return 77
    fi
  done
  mkdir -p "$dir"
  for name in $COMMA_LOCALES; do
    source="${name%%.*}"
    # Exit status 1 means warnings only, with the locale written.
    localedef -i "$source" -f UTF-8 "$dir/$name" > "$dir/$source.log" 2>&1 || [ $? -eq 1 ] || {
      echo "localedef could not make $name: $(cat "$dir/$source.log")"
      return 1
    }
    point="$(LOCPATH="$dir" LC_ALL="$name" locale decimal_point 2>&1)"
    if [ "$point" != "," ]; then
      echo "the made locale $name has \"$point\" as its decimal point, not \",\""
      return 1
    fi
  done
}
