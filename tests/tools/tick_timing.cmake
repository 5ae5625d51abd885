# The loader's tick schedule on the real clock, in real time: one run of 1.5 s. It needs only the
# schedule itself and the clock, so it is built from the one source on every system.
codepanel_test(tick_timing_test ${CMAKE_CURRENT_LIST_DIR}/tick_timing_test.cpp
               ${PROJECT_SOURCE_DIR}/tools/codeload/tick_loop.cpp)
target_link_libraries(tick_timing_test PRIVATE codepanel_platform)
