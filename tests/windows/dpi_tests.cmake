# The window at 144 and 192 dpi: dpi_test.sh runs the DpiTest and SizingTest
# cases in prefixes of those DPIs.
if(TARGET skyloom_win_tests)
  add_test(NAME windows_dpi_tests
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/dpi_test.sh $<TARGET_FILE:skyloom_win_tests>
      ${PROJECT_BINARY_DIR}/wineprefix-dpi)
  set_tests_properties(windows_dpi_tests PROPERTIES LABELS windows TIMEOUT 300)
endif()
