# The settings file's interface against this system's backend: the Linux reader and writer here,
# the system's profile calls in the Windows build. The Linux backend's own cases are profile.cmake's.
codepanel_test(profile_backend_test ${CMAKE_CURRENT_LIST_DIR}/profile_backend_test.cpp)
target_link_libraries(profile_backend_test PRIVATE codepanel_platform)
