# The Windows serial backend on its own: the DCB, names, failed opens and error texts; included
# from CMakeLists.txt here on Windows. The exchange over a COM port is tested end to end under
# wine by tests/windows/codeload_wine_test.sh.
codepanel_test(win32_serial_test ${CMAKE_CURRENT_LIST_DIR}/win32_serial_test.cpp)
target_link_libraries(win32_serial_test PRIVATE codepanel_platform codepanel_scanner codeload_parts)
# The event-log sink of the load record, through a recording stand-in for the three system calls:
# wine keeps no event log.
if(CODEPANEL_JOURNAL_SINK STREQUAL "eventlog")
  codepanel_test(event_log_test ${CMAKE_CURRENT_LIST_DIR}/win32_event_log_test.cpp)
  target_link_libraries(event_log_test PRIVATE codepanel_platform_journal codepanel_scanner)
endif()
