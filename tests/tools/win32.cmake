# codeload's Windows parts that need no COM port; included from CMakeLists.txt here on Windows.
codepanel_test(codeload_win32_test codeload_win32_test.cpp)
target_link_libraries(codeload_win32_test PRIVATE codeload_parts)
