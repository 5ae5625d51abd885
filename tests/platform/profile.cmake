# The settings file: private-profile reads and atomic writes on a real temporary folder.
codepanel_test(profile_file_test ${CMAKE_CURRENT_LIST_DIR}/profile_file_test.cpp)
target_link_libraries(profile_file_test PRIVATE codepanel_platform)
