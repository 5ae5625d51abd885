# The process walk for real, on processes each test starts itself: on Windows the Win32 backend
# ending copies of a sleeping program named like desktop shells; on Linux the /proc walk, the
# --no-power-off dry run, and the logind request built but never sent. Included from
# CMakeLists.txt here.
if(WIN32)
  add_executable(test_sleeper ${CMAKE_CURRENT_LIST_DIR}/test_sleeper.cpp)
  codepanel_warnings(test_sleeper)
  codepanel_test(win32_process_test ${CMAKE_CURRENT_LIST_DIR}/win32_process_test.cpp)
  target_link_libraries(win32_process_test PRIVATE codepanel_platform_process codepanel_shutdown)
  target_compile_definitions(win32_process_test PRIVATE
                             SLEEPER_NAME="$<TARGET_FILE_NAME:test_sleeper>")
  add_dependencies(win32_process_test test_sleeper)
else()
  codepanel_test(linux_process_test ${CMAKE_CURRENT_LIST_DIR}/linux_process_test.cpp)
  target_link_libraries(linux_process_test PRIVATE codepanel_platform_process codepanel_shutdown)
endif()
