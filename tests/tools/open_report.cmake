# codeload's parts alike on every system: the command line, the tick loop on virtual time, the
# lines on the port it uses and on a failed open, and the text of --list-ports from its rows.
codepanel_test(codeload_parts_test codeload_portable_test.cpp open_report_test.cpp
               port_list_format_test.cpp)
target_link_libraries(codeload_parts_test PRIVATE codeload_parts)

if(NOT WIN32)
  # The reporting devices in front of the termios backend, on a pseudo-terminal.
  codepanel_test(open_report_pty_test open_report_pty_test.cpp)
  target_link_libraries(open_report_pty_test PRIVATE codeload_parts codepanel_test_support)

  # codeload --list-ports: whole lists for fake /dev and /sys trees.
  codepanel_test(port_list_test port_list_test.cpp)
  target_link_libraries(port_list_test PRIVATE codeload_parts codepanel_test_support)
endif()
