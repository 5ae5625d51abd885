# The Windows serial backend on its own: the DCB, names, failed opens and error texts; included
# from CMakeLists.txt here on Windows. The exchange over a COM port is tested end to end under
# wine by tests/windows/codeload_wine_test.sh.
codepanel_test(win32_serial_test ${CMAKE_CURRENT_LIST_DIR}/win32_serial_test.cpp)
target_link_libraries(win32_serial_test PRIVATE codepanel_platform codepanel_scanner codeload_parts)
# The dialog templates created by the system's dialog manager, with the panel's resources (the
# banner its picture control loads). Without a display the cases say so and count as skipped.
add_executable(win32_dialog_create_test ${CMAKE_CURRENT_LIST_DIR}/win32_dialog_create_test.cpp
               ${PROJECT_SOURCE_DIR}/res/panel_win32.rc)
target_link_libraries(win32_dialog_create_test PRIVATE GTest::gtest GTest::gtest_main
                      codepanel_win32_dialog_template user32 gdi32)
codepanel_warnings(win32_dialog_create_test)
gtest_discover_tests(win32_dialog_create_test DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
                     PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
# The event-log sink of the load record, through a recording stand-in for the three system calls:
# wine keeps no event log.
if(CODEPANEL_JOURNAL_SINK STREQUAL "eventlog")
  codepanel_test(event_log_test ${CMAKE_CURRENT_LIST_DIR}/win32_event_log_test.cpp)
  target_link_libraries(event_log_test PRIVATE codepanel_platform_journal codepanel_scanner)
endif()
