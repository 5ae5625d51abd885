# The station's ports file, and the scan of the machine's serial devices on fake /dev and /sys
# trees.
codepanel_test(port_file_test ${CMAKE_CURRENT_LIST_DIR}/port_file_test.cpp)
target_link_libraries(port_file_test PRIVATE codepanel_platform codepanel_test_support)
target_compile_definitions(port_file_test PRIVATE CODEPANEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

codepanel_test(serial_scan_test ${CMAKE_CURRENT_LIST_DIR}/serial_scan_test.cpp)
target_link_libraries(serial_scan_test PRIVATE codepanel_platform codepanel_test_support)
