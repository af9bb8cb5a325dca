# The link on a real serial port: link_port_test.sh maps a pseudo-terminal
# pair to two COM ports of the test prefix and runs the Port.* tests on it.
find_program(SOCAT_PROGRAM socat)
if(SOCAT_PROGRAM AND TARGET skyloom_win_tests)
  add_test(NAME windows_port_tests
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/link_port_test.sh $<TARGET_FILE:skyloom_win_tests>)
  set_tests_properties(windows_port_tests PROPERTIES LABELS windows TIMEOUT 120
    RESOURCE_LOCK skyloom_test_desktop)
endif()
