# The Qt side of the platform layer; widgets run on the offscreen platform.
codepanel_test(platform_qt_tests
  ${CMAKE_CURRENT_LIST_DIR}/dialog_layout_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen_fit_test.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/qt_test_main.cpp
)
target_link_libraries(platform_qt_tests PRIVATE codepanel_platform_qt Qt6::Test)
