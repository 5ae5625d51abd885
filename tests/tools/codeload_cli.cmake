# The loader's command line, its output, its behaviour under signals and its ports file, the last
# three end to end.
codepanel_test(codeload_cli_test
  codeload_command_line_test.cpp
  codeload_output_test.cpp
  codeload_signal_test.cpp
  codeload_ports_test.cpp
)
target_link_libraries(codeload_cli_test PRIVATE codeload_parts tools_test_children)
