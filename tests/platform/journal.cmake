# The journal entry of a download record and its recorder; the systemd backend against the real
# journal where one runs. Included from CMakeLists.txt here.
codepanel_test(journal_fields_test ${CMAKE_CURRENT_LIST_DIR}/journal_fields_test.cpp)
target_link_libraries(journal_fields_test PRIVATE codepanel_platform_journal)

codepanel_test(systemd_journal_test ${CMAKE_CURRENT_LIST_DIR}/systemd_journal_test.cpp)
target_link_libraries(systemd_journal_test PRIVATE codepanel_platform_journal
                      codepanel_test_support)
