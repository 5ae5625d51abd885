# codeload's lines on the port it uses and on a failed open, with the termios backend behind them.
codepanel_test(open_report_test open_report_test.cpp)
target_link_libraries(open_report_test PRIVATE codeload_parts codepanel_test_support)

# codeload --list-ports: the text from its rows, and whole lists for fake /dev and /sys trees.
codepanel_test(port_list_test port_list_test.cpp)
target_link_libraries(port_list_test PRIVATE codeload_parts codepanel_test_support)
