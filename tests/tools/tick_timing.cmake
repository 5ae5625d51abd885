# The tick schedule on the real clock, in real time: one run of 1.5 s.
codepanel_test(tick_timing_test ${CMAKE_CURRENT_LIST_DIR}/tick_timing_test.cpp)
target_link_libraries(tick_timing_test PRIVATE codeload_parts)
