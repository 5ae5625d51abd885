# The real codeload and scanner-sim as child processes, for the end-to-end tests.
add_library(tools_test_children STATIC child_process.cpp)
target_include_directories(tools_test_children PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tools_test_children PUBLIC GTest::gtest)
add_dependencies(tools_test_children codeload scanner-sim)
target_compile_definitions(tools_test_children PRIVATE
  CODELOAD_BINARY="$<TARGET_FILE:codeload>"
  SCANNER_SIM_BINARY="$<TARGET_FILE:scanner-sim>"
)
codepanel_warnings(tools_test_children)
