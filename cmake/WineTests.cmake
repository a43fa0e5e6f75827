# The Wine prefix inside the build folder (QUORVANE_WINE_ENV, set at the top level) is made,
# or brought up to date, once per test run. One persistent wineserver serves the whole run,
# so a test program starts in a fraction of a second instead of seconds.
add_test(NAME wine_prefix COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine_prefix.sh)
add_test(NAME wine_prefix_end COMMAND wineserver -k)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix)
set_tests_properties(wine_prefix_end PROPERTIES FIXTURES_CLEANUP wine_prefix)
set_tests_properties(wine_prefix wine_prefix_end PROPERTIES ENVIRONMENT "${QUORVANE_WINE_ENV}")
