# The settings file's interface against this system's backend: the Linux one here, the Windows one
# in the Windows build. The Linux backend's own cases are profile.cmake's.
codepanel_test(profile_backend_test ${CMAKE_CURRENT_LIST_DIR}/profile_backend_test.cpp)
target_link_libraries(profile_backend_test PRIVATE codepanel_platform)

# Under wine the same cases again on a system whose code page is Chinese (936), where a code's bytes
# above 0x7F would change if anything read them through the code page; the first case checks that
# the system really has that code page.
if(WIN32)
  add_executable(win32_code_page_test ${CMAKE_CURRENT_LIST_DIR}/win32_code_page_test.cpp)
  target_link_libraries(win32_code_page_test PRIVATE GTest::gtest GTest::gtest_main)
  codepanel_warnings(win32_code_page_test)
  foreach(target win32_code_page_test profile_backend_test)
    gtest_discover_tests(${target} TEST_PREFIX "cp936." DISCOVERY_TIMEOUT 120
                         DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT LC_ALL=zh_CN.UTF-8
                                    ENVIRONMENT_MODIFICATION CODEPANEL_CODE_PAGE=set:936)
  endforeach()
endif()
