# The Wine prefix inside the build folder (QUORVANE_WINE_ENV, set at the top level) is made,
# or brought up to date, once per test run. One persistent wineserver serves the whole run,
# so a test program starts in a fraction of a second instead of seconds.
# Wine's helper processes outlive the command that starts them, so they must not inherit
# CTest's output pipes, or CTest would wait for them.
# Without a window manager on the virtual display, Wine waits two seconds for each shown window
# it hides or destroys to be withdrawn, unless it leaves its windows unmanaged.
add_test(NAME wine_prefix COMMAND sh -c
  "mkdir -p \"$WINEPREFIX\" && wineserver -p </dev/null >/dev/null 2>&1 && wineboot -i </dev/null >/dev/null 2>&1 && wine reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1")
add_test(NAME wine_prefix_end COMMAND wineserver -k)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix)
set_tests_properties(wine_prefix_end PROPERTIES FIXTURES_CLEANUP wine_prefix)
set_tests_properties(wine_prefix wine_prefix_end PROPERTIES ENVIRONMENT "${QUORVANE_WINE_ENV}")
