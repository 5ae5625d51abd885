# The Linux process walk for real (on processes the test starts itself), the --no-power-off dry
# run, and the logind request built but never sent; included from CMakeLists.txt here.
if(NOT WIN32)
  codepanel_test(linux_process_test ${CMAKE_CURRENT_LIST_DIR}/linux_process_test.cpp)
  target_link_libraries(linux_process_test PRIVATE codepanel_platform_process codepanel_shutdown)
endif()
