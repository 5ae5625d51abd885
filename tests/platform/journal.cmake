# The user's name in the load record, and the systemd sink against the real journal where one runs.
# Included from CMakeLists.txt here; the record's fields are tested in tests/scanner/.
codepanel_test(user_name_test ${CMAKE_CURRENT_LIST_DIR}/user_name_test.cpp)
target_link_libraries(user_name_test PRIVATE codepanel_platform_journal)

if(CODEPANEL_JOURNAL_SINK STREQUAL "systemd")
  codepanel_test(systemd_journal_test ${CMAKE_CURRENT_LIST_DIR}/systemd_journal_test.cpp)
  target_link_libraries(systemd_journal_test PRIVATE codepanel_platform_journal codepanel_scanner
                        codepanel_test_support)
endif()
