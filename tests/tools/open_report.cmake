# codeload's lines on the port it uses and on a failed open, with the termios backend behind them.
codepanel_test(open_report_test open_report_test.cpp)
target_link_libraries(open_report_test PRIVATE codeload_parts codepanel_test_support)
